#pragma once
// An X image whose pixels live in a shared memory segment the server writes into directly.

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <memory>

#include "platform/capture/X11Connection.h"

namespace platform {

class ShmImage {
 public:
  // Empty when the segment cannot be made or the server refuses to attach it.
  static std::unique_ptr<ShmImage> Create(X11Connection& connection, Visual* visual, int depth,
                                          int width, int height);
  ~ShmImage();
  ShmImage(const ShmImage&) = delete;
  ShmImage& operator=(const ShmImage&) = delete;

  bool Fits(Visual* visual, int depth, int width, int height) const;
  // Reads the image's size of the drawable from (x, y); false when the server refused.
  bool Read(Drawable drawable, int x, int y);
  XImage& Image() { return *image_; }

 private:
  ShmImage(X11Connection& connection, Visual* visual, int depth);

  X11Connection& connection_;
  Visual* visual_;
  int depth_;
  XShmSegmentInfo segment_{};
  XImage* image_ = nullptr;
  bool attached_ = false;
};

}  // namespace platform
