// Draws the factory animations of the keyboard screens (240 x 136) for every model with a
// screen, into the application folder (by default the shipped data/):
//   tarvo_make_screen_gifs [application folder]
// writes gif/<model>/<screen>.gif, the same under default_gif/, and the first frame of each as
// default_led/<model>/<screen>.png. The output is committed; run this again after changing the
// drawing.

#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "GifWriter.h"
#include "media/Gif.h"
#include "media/ImageFiles.h"

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 136;
constexpr int kFrames = 16;
constexpr int kDelayCs = 8;
constexpr double kTwoPi = 2 * std::numbers::pi;

struct Model {
  const char* folder;
  const char* name;
  QColor accent;
  QColor second;
};

const Model kModels[] = {
    {"tarvo_k9", "K9", QColor(0, 200, 190), QColor(250, 250, 250)},
    {"tarvo_m7", "M7", QColor(255, 140, 0), QColor(250, 250, 250)},
};

QImage Blank() {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  image.fill(QColor(12, 14, 20));
  return image;
}

// Screen 0: the model's name with a ring turning around it.
QImage NameFrame(const Model& model, int frame) {
  QImage image = Blank();
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  const double turn = static_cast<double>(frame) / kFrames;
  painter.setPen(QPen(model.accent, 6, Qt::SolidLine, Qt::FlatCap));
  painter.drawArc(QRect(70, 18, 100, 100), static_cast<int>(turn * 360 * 16), 250 * 16);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(30);
  font.setBold(true);
  font.setStyleStrategy(QFont::NoAntialias);
  painter.setFont(font);
  painter.setPen(model.second);
  painter.drawText(QRect(0, 0, kWidth, kHeight), Qt::AlignCenter, QString::fromLatin1(model.name));
  return image;
}

// Screen 1: level bars rising and falling.
QImage BarsFrame(const Model& model, int frame) {
  QImage image = Blank();
  QPainter painter(&image);
  constexpr int kBars = 12;
  const int barWidth = kWidth / kBars;
  for (int bar = 0; bar < kBars; ++bar) {
    const double phase = kTwoPi * (static_cast<double>(frame) / kFrames + bar * 0.13);
    const int height = static_cast<int>(20 + 90 * (0.5 + 0.5 * std::sin(phase)));
    painter.fillRect(bar * barWidth + 3, kHeight - 10 - height, barWidth - 6, height,
                     bar % 2 ? model.accent : model.accent.darker(140));
  }
  painter.fillRect(0, kHeight - 8, kWidth, 2, model.second);
  return image;
}

// Screen 2: a wave running across the screen.
QImage WaveFrame(const Model& model, int frame) {
  QImage image = Blank();
  QPainter painter(&image);
  const double shift = kTwoPi * frame / kFrames;
  for (int x = 0; x < kWidth; x += 4) {
    const double y = kHeight / 2.0 + 40 * std::sin(x * kTwoPi / kWidth * 2 - shift);
    painter.fillRect(x, static_cast<int>(y) - 3, 4, 6, model.accent);
    const double y2 = kHeight / 2.0 + 25 * std::sin(x * kTwoPi / kWidth * 3 + shift);
    painter.fillRect(x, static_cast<int>(y2) - 1, 4, 2, model.second);
  }
  return image;
}

using Drawing = QImage (*)(const Model&, int);
const Drawing kScreens[] = {NameFrame, BarsFrame, WaveFrame};

bool WriteScreen(const QDir& app, const Model& model, int screen) {
  std::vector<skins::GifFrame> frames;
  for (int f = 0; f < kFrames; ++f) frames.push_back({kScreens[screen](model, f), kDelayCs});
  const QString name = QString::number(screen);
  for (const char* folder : {"gif", "default_gif"}) {
    const QString dir =
        QStringLiteral("%1/%2").arg(QString::fromLatin1(folder), QString::fromLatin1(model.folder));
    if (!app.mkpath(dir)) return false;
    const QString path = app.filePath(dir + "/" + name + ".gif");
    const QString error = skins::WriteLoopingGif(path, frames);
    if (!error.isEmpty()) {
      std::fprintf(stderr, "%s\n", qPrintable(error));
      return false;
    }
    if (!media::ReadGifFile(path.toStdString())) return false;  // must read back
    std::printf("%s\n", qPrintable(path));
  }
  const QString ledDir = QStringLiteral("default_led/%1").arg(QString::fromLatin1(model.folder));
  if (!app.mkpath(ledDir)) return false;
  const std::string png = app.filePath(ledDir + "/" + name + ".png").toStdString();
  std::string error;
  if (!media::WritePngFile(png, skins::ToPicture(frames.front().image), &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
  }
  std::printf("%s\n", png.c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  const QDir app(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(TARVO_DATA_FOLDER));
  for (const Model& model : kModels) {
    for (int screen = 0; screen < 3; ++screen) {
      if (!WriteScreen(app, model, screen)) return 1;
    }
  }
  return 0;
}
