// Draws the theme's pictures into a folder (by default the shipped data/skins/theme1):
//   tarvo_make_skins [folder]
// The output is committed; run this again after changing the drawing.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <cstdio>
#include <utility>
#include <vector>

#include "Artwork.h"
#include "GifWriter.h"
#include "IconFile.h"
#include "LightIcons.h"

namespace {

constexpr int kHomeFrames = 48;
constexpr int kHomeFrameDelayCs = 12;  // about six seconds for one round
constexpr int kIconSides[] = {16, 20, 24, 32, 40, 48, 64, 128, 256};

bool Report(const QString& path, const QString& error) {
  if (!error.isEmpty()) {
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return false;
  }
  std::printf("%-60s %8lld bytes\n", qPrintable(path),
              static_cast<long long>(QFileInfo(path).size()));
  return true;
}

bool SavePng(const QImage& image, const QString& path) {
  return Report(path, image.save(path, "PNG") ? QString() : QStringLiteral("cannot write ") + path);
}

bool WriteIcons(const QDir& folder) {
  std::vector<QImage> sizes;
  for (int side : kIconSides) sizes.push_back(skins::Logo(side));
  const QString path = folder.filePath(QStringLiteral("DeviceDriver.ico"));
  if (!Report(path, skins::WriteIcon(path, sizes))) return false;
  // The icon must read back with every size.
  QImageReader reader(path);
  if (reader.imageCount() != static_cast<int>(sizes.size()))
    return Report(path, QStringLiteral("icon reads back wrong"));
  return true;
}

bool WriteHome(const QDir& folder) {
  std::vector<skins::GifFrame> frames;
  for (int i = 0; i < kHomeFrames; ++i)
    frames.push_back({skins::HomeFrame(i, kHomeFrames), kHomeFrameDelayCs});
  const QString path = folder.filePath(QStringLiteral("home_bg.gif"));
  const QString error = skins::WriteLoopingGif(path, frames);
  // The GIF library creates its files private to the user; the theme is for everyone to read.
  QFile::setPermissions(path,
                        QFile::permissions(QStringLiteral("%1/main_bkg.png").arg(folder.path())));
  return Report(path, error);
}

// The pictures of the light page's mode list, named after the mode they show.
bool WriteLightIcons(const QDir& folder) {
  constexpr int kSide = 48;
  bool ok = true;
  const auto save = [&](const QImage& image, const QString& name) {
    ok = SavePng(image, folder.filePath(name)) && ok;
  };
  for (int mode = 0; mode <= 20; ++mode)
    save(skins::KeyLightModeIcon(mode, kSide), QStringLiteral("light_icon_%1.png").arg(mode));
  save(skins::KeyLightModeIcon(128, kSide), QStringLiteral("light_icon_128.png"));
  for (int mode = 0; mode <= 4; ++mode)
    save(skins::ZoneLightModeIcon(mode, kSide), QStringLiteral("light_zone_icon_%1.png").arg(mode));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  // Painting needs no screen.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  const QString target =
      argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(TARVO_SKIN_FOLDER);
  QDir folder(target);
  if (!folder.mkpath(QStringLiteral("."))) {
    std::fprintf(stderr, "cannot create %s\n", qPrintable(target));
    return 1;
  }
  using skins::TitleIcon;
  bool ok = SavePng(skins::StillBackground(), folder.filePath(QStringLiteral("main_bkg.png")));
  ok = SavePng(skins::Logo(128), folder.filePath(QStringLiteral("logo.png"))) && ok;
  ok = SavePng(skins::TitleBarIcon(TitleIcon::Background, 40),
               folder.filePath(QStringLiteral("icon_background.png"))) &&
       ok;
  ok = SavePng(skins::TitleBarIcon(TitleIcon::Minimize, 40),
               folder.filePath(QStringLiteral("icon_minimize.png"))) &&
       ok;
  ok = SavePng(skins::TitleBarIcon(TitleIcon::Close, 40),
               folder.filePath(QStringLiteral("icon_close.png"))) &&
       ok;
  const std::pair<TitleIcon, const char*> linkIcons[] = {
      {TitleIcon::Web, "icon_web.png"},           {TitleIcon::Store, "icon_store.png"},
      {TitleIcon::Feedback, "icon_feedback.png"}, {TitleIcon::Faq, "icon_faq.png"},
      {TitleIcon::Add, "icon_add.png"},           {TitleIcon::Import, "icon_import.png"},
      {TitleIcon::Manage, "icon_manage.png"}};
  for (const auto& [icon, name] : linkIcons) {
    ok = SavePng(skins::TitleBarIcon(icon, 40), folder.filePath(QString::fromLatin1(name))) && ok;
  }
  // Profiles name their icon relative to the application folder, two levels up.
  QDir iconFolder(folder.absoluteFilePath(QStringLiteral("../../icon")));
  ok = iconFolder.mkpath(QStringLiteral(".")) && ok;
  ok = SavePng(skins::TitleBarIcon(TitleIcon::Profile, 40),
               iconFolder.filePath(QStringLiteral("icon_profile.png"))) &&
       ok;
  ok = WriteLightIcons(iconFolder) && ok;
  ok = WriteIcons(folder) && ok;
  ok = WriteHome(folder) && ok;
  return ok ? 0 : 1;
}
