#include "ui/tessel/KeyboardPicture.h"

namespace Tessel {

void KeyboardPictureControl::SetKeyboardImage(std::string picture) {
  Assign(picture_, std::move(picture));
}

std::string KeyboardPictureControl::GetKeyboardImage() const {
  return Read(picture_);
}

void KeyboardPictureControl::SetWidthAndHeight(int width, int height) {
  {
    std::lock_guard lock(mutex_);
    if (layoutWidth_ == width && layoutHeight_ == height) return;
    layoutWidth_ = width;
    layoutHeight_ = height;
    BumpVersionLocked();
  }
  NotifyChanged();
}

int KeyboardPictureControl::GetLayoutWidth() const {
  return Read(layoutWidth_);
}

int KeyboardPictureControl::GetLayoutHeight() const {
  return Read(layoutHeight_);
}

}  // namespace Tessel
