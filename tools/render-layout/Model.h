#pragma once
// What the pictures are drawn from: the catalogue (config.xml), a layout file and the picture
// parts that are not keys (decorations.xml, written by make_layouts.py).

#include <QColor>
#include <QRect>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace render {

// A file that cannot be used; the message names the file and the problem.
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr int kKnobCode = 0xFF;

struct CatalogueModel {
  std::string name;
  std::string layout;  // "device_info": layouts/<layout>.xml
  std::string connectedPicture;
  std::string disconnectedPicture;
};

struct KeyCap {
  int code = 0;
  QRect rect;
};

struct Layout {
  QSize size;
  std::string image;  // file name inside keyboard/
  std::vector<KeyCap> keys;
};

struct MatrixPanel {
  QRect rect;
  int rows = 0;
  int columns = 0;
};

struct Decorations {
  QColor accent;
  std::vector<QRect> screens;
  std::vector<QRect> lightBars;
  std::vector<MatrixPanel> matrices;
};

std::vector<CatalogueModel> ReadCatalogue(const std::filesystem::path& configFile);
Layout ReadLayout(const std::filesystem::path& layoutFile);
// The decorations of one layout; none when the file does not mention it.
Decorations ReadDecorations(const std::filesystem::path& decorationsFile,
                            const std::string& layout);

}  // namespace render
