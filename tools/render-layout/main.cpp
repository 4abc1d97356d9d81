// render-layout: draws the keyboard pictures (keyboard/) and device overview pictures
// (device/) of the application folder from its config.xml and layout files, so the pictures
// always match the key rectangles.
//
//   render-layout --data <application folder> --decorations <decorations.xml> [--out <folder>]
//
// The pictures go to <out>/keyboard and <out>/device (out defaults to the application folder).

#include <QImage>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>

#include "DevicePicture.h"
#include "KeyboardPicture.h"
#include "Model.h"

namespace {

namespace fs = std::filesystem;

struct Options {
  fs::path data;
  fs::path decorations;
  fs::path out;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  std::map<std::string, fs::path*> targets = {
      {"--data", &options.data}, {"--decorations", &options.decorations}, {"--out", &options.out}};
  for (int i = 1; i + 1 < argc; i += 2) {
    const auto target = targets.find(argv[i]);
    if (target == targets.end()) return false;
    *target->second = argv[i + 1];
  }
  if (argc % 2 == 0 || options.data.empty() || options.decorations.empty()) return false;
  if (options.out.empty()) options.out = options.data;
  return true;
}

void Save(const QImage& picture, const fs::path& file) {
  fs::create_directories(file.parent_path());
  if (!picture.save(QString::fromStdString(file.string()), "PNG", 0)) {
    throw render::InputError("cannot write " + file.string());
  }
  std::cout << file.string() << " (" << picture.width() << " x " << picture.height() << ")\n";
}

void RenderModel(const render::CatalogueModel& model, const Options& options) {
  const render::Layout layout =
      render::ReadLayout(options.data / "layouts" / (model.layout + ".xml"));
  const render::Decorations decorations =
      render::ReadDecorations(options.decorations, model.layout);
  const QImage keyboard = render::DrawKeyboard(layout, decorations);
  Save(keyboard, options.out / "keyboard" / layout.image);
  const QImage device =
      render::DrawDevice(render::DrawKeyboard(layout, decorations, render::Parts::kCaseOnly),
                         render::DrawKeyboard(layout, decorations, render::Parts::kCapsOnly));
  Save(device, options.out / "device" / model.connectedPicture);
  Save(render::GreyOut(device), options.out / "device" / model.disconnectedPicture);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::cerr << "usage: render-layout --data <application folder> --decorations <file>"
                 " [--out <folder>]\n";
    return 2;
  }
  try {
    for (const render::CatalogueModel& model : render::ReadCatalogue(options.data / "config.xml")) {
      RenderModel(model, options);
    }
  } catch (const render::InputError& error) {
    std::cerr << "render-layout: " << error.what() << '\n';
    return 1;
  }
  return 0;
}
