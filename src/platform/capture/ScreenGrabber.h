#pragma once
// Takes pictures of the whole screen or of one window on one X connection and reduces them to
// a colour grid. Not thread-safe: it belongs to the thread that owns the connection.
//
// The screen is read through shared memory (MIT-SHM) when the server offers it and the
// attachment works (a remote display refuses it), otherwise through XGetImage. A window is
// read from its own off-screen picture (Composite), so that windows over it do not show;
// without Composite, or when that fails, its rectangle of the screen is read instead.

#include <X11/Xlib.h>

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/capture/ColorGrid.h"
#include "platform/capture/X11Connection.h"

namespace platform {

class ShmImage;

enum class GrabResult {
  Ok,
  WindowGone,   // the window no longer exists
  NotViewable,  // the window exists but is not shown (unmapped, minimised)
  Failed,       // the server refused the picture
};

struct Grab {
  GrabResult result = GrabResult::Failed;
  std::optional<ColorGrid> grid;
};

class ScreenGrabber {
 public:
  explicit ScreenGrabber(X11Connection& connection);
  ~ScreenGrabber();
  ScreenGrabber(const ScreenGrabber&) = delete;
  ScreenGrabber& operator=(const ScreenGrabber&) = delete;

  Grab CaptureScreen(int rows, int columns);
  Grab CaptureWindow(Window window, int rows, int columns);

  // How the last picture was read (for diagnostics and tests).
  bool UsedSharedMemory() const { return usedSharedMemory_; }
  bool UsedComposite() const { return usedComposite_; }

 private:
  struct Area {
    Drawable drawable = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    Visual* visual = nullptr;
    int depth = 0;
  };

  Grab Read(const Area& area, std::unique_ptr<ShmImage>& cache, int rows, int columns);
  Grab CaptureWindowRectangle(Window window, const XWindowAttributes& attributes, int rows,
                              int columns);
  void Redirect(Window window);
  void Unredirect();

  X11Connection& connection_;
  Display* display_;
  Window root_;
  bool shmAvailable_ = false;
  bool compositeAvailable_ = false;
  std::unique_ptr<ShmImage> screenImage_;
  std::unique_ptr<ShmImage> windowImage_;
  Window redirected_ = 0;
  bool usedSharedMemory_ = false;
  bool usedComposite_ = false;
};

// The grid of an X image (32-bit pixels with 8-bit channel masks read directly, anything
// else pixel by pixel). Empty when the image cannot be read.
std::optional<ColorGrid> ReduceXImage(XImage& image, int rows, int columns);

}  // namespace platform
