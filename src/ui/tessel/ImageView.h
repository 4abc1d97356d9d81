#pragma once
// A picture the user draws on: the frame editor of the screen page. The control keeps the
// picture's pixels and computes every change itself (pen and eraser strokes, stamped text,
// undo); a backend only shows the pixels and hands on the pointer, in picture pixels.
//
// The pen and the eraser draw squares of their width along the pointer's path; the eraser
// draws black, what the keyboard's screen shows where nothing is lit. Text is stamped in the
// drawing colour from the coverage a text rasteriser gives for it. Every edit can be undone
// (the newest first, up to kUndoDepth of them).
//
// Reports kEventValueChanged (arg1 = 1) when a user's edit is complete: a stroke ended or a
// text was stamped. Any thread may read and set it; the User* operations are the backend's.

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/tessel/MControl.h"

namespace Tessel {

// The coverage of a rasterised text: 0 (none) to 255 (full) per pixel, row after row.
struct TextMask {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> coverage;
};
// A text's coverage at a font size in pixels; empty when it cannot be drawn.
using TextRasterizer =
    std::function<std::optional<TextMask>(const std::string& text, int pixelSize)>;

class ImageView : public MControl {
 public:
  ImageView(MWindow& owner, int id);
  static constexpr const char* kClassName = "ImageView";

  enum DrawMode : int {
    kDrawNone = 0,  // the pointer does nothing
    kDrawPen = 102,
    kDrawEraser = 111,
    kDrawText = 120,  // a press stamps the text (SetText) there
  };
  static constexpr int kDefaultWidth = 240;
  static constexpr int kDefaultHeight = 136;
  static constexpr std::size_t kUndoDepth = 64;
  static constexpr int kSmallestFontSize = 8;
  static constexpr int kLargestFontSize = 96;
  static constexpr int kLargestPenWidth = 32;
  static constexpr Color kErased = 0x000000;

  // The picture to edit: width x height colours (0x00BBGGRR) row after row; a list of another
  // length is cut or filled with black. Forgets the undo steps; counts as unmodified.
  void SetPicture(int width, int height, std::vector<Color> pixels);
  // A black picture of the size.
  void ClearPicture(int width = kDefaultWidth, int height = kDefaultHeight);
  int GetPictureWidth() const;
  int GetPictureHeight() const;
  std::vector<Color> GetPixels() const;
  // Black outside the picture.
  Color GetPixel(int x, int y) const;
  // Whether the picture changed since SetPicture or MarkSaved.
  bool IsModified() const;
  void MarkSaved();

  void SetDrawMode(int mode);
  int GetDrawMode() const;
  void SetColorValue(Color color);
  Color GetColorValue() const;
  // Widths of the pen and the eraser in pixels, clamped to 1..kLargestPenWidth.
  void SetPenWidth(int pixels);
  int GetPenWidth() const;
  void SetEraserWidth(int pixels);
  int GetEraserWidth() const;
  // Clamped to kSmallestFontSize..kLargestFontSize.
  void SetFontSize(int pixels);
  int GetFontSize() const;
  void SetGrid(bool shown);
  bool HasGrid() const;
  // The text the text mode stamps.
  void SetText(std::string text);
  std::string GetText() const;
  void SetTextRasterizer(TextRasterizer rasterizer);

  // Stamps a text in the drawing colour with its top-left corner at (x, y); parts outside the
  // picture are cut off. False when there is no text or it cannot be drawn.
  bool AddText(const std::string& text, int x, int y);
  // Takes back the newest edit; false when there is none.
  bool RecoverCurEdit();
  bool CanUndo() const;

  // The pointer, in picture pixels (it may lie outside while a stroke is dragged).
  void UserPress(int x, int y);
  void UserDrag(int x, int y);
  void UserRelease(int x, int y);

 private:
  // Under mutex_.
  void PushUndoLocked();
  void StampLocked(int x, int y, int width, Color color);
  void LineLocked(int fromX, int fromY, int toX, int toY, int width, Color color);
  bool InPictureLocked(int x, int y) const;

  int width_ = kDefaultWidth;
  int height_ = kDefaultHeight;
  std::vector<Color> pixels_;
  std::deque<std::vector<Color>> undo_;
  bool modified_ = false;
  int mode_ = kDrawPen;
  Color color_ = 0xFFFFFF;
  int penWidth_ = 1;
  int eraserWidth_ = 6;
  int fontSize_ = 16;
  bool grid_ = false;
  std::string text_;
  TextRasterizer rasterizer_;
  // The stroke being drawn.
  bool stroking_ = false;
  int lastX_ = 0;
  int lastY_ = 0;
};

}  // namespace Tessel
