#pragma once
// What the keyboard view and the effect view share: the keyboard picture drawn behind the keys
// and the size of the layout space the key rectangles are given in.

#include <string>

#include "ui/tessel/MControl.h"

namespace Tessel {

class KeyboardPictureControl : public MControl {
 public:
  using MControl::MControl;

  // The picture, relative to the application folder ("keyboard\<image>").
  void SetKeyboardImage(std::string picture);
  std::string GetKeyboardImage() const;
  // The layout space of the key rectangles; the views scale it into their rectangle.
  void SetWidthAndHeight(int width, int height);
  int GetLayoutWidth() const;
  int GetLayoutHeight() const;

 protected:
  // Guarded by mutex_.
  std::string picture_;
  int layoutWidth_ = 0;
  int layoutHeight_ = 0;
};

}  // namespace Tessel
