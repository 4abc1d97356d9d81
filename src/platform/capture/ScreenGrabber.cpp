#include "platform/capture/ScreenGrabber.h"

#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xcomposite.h>

#include <algorithm>
#include <bit>

#include "platform/capture/ShmImage.h"

namespace platform {
namespace {

struct ImageDestroyer {
  void operator()(XImage* image) const { XDestroyImage(image); }
};
using UniqueXImage = std::unique_ptr<XImage, ImageDestroyer>;

// The shift of an 8-bit channel mask (0xFF << shift); empty for any other mask.
std::optional<int> ByteShiftOf(unsigned long mask) {
  if (mask == 0) return std::nullopt;
  const int shift = std::countr_zero(mask);
  if ((mask >> shift) != 0xFF || shift % 8 != 0 || shift > 24) return std::nullopt;
  return shift;
}

// A channel of any width scaled to 8 bits.
unsigned Channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const unsigned long maximum = mask >> shift;
  return static_cast<unsigned>(((pixel & mask) >> shift) * 255 / maximum);
}

std::optional<ColorGrid> ReducePixelByPixel(XImage& image, int rows, int columns) {
  RgbPicture picture{image.width, image.height,
                     std::vector<std::uint32_t>(static_cast<std::size_t>(image.width) *
                                                static_cast<std::size_t>(image.height))};
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const unsigned long pixel = XGetPixel(&image, x, y);
      picture.pixels[static_cast<std::size_t>(y) * image.width + x] =
          Channel(pixel, image.red_mask) | Channel(pixel, image.green_mask) << 8 |
          Channel(pixel, image.blue_mask) << 16;
    }
  }
  return ReduceToGrid(picture.View(), rows, columns);
}

}  // namespace

std::optional<ColorGrid> ReduceXImage(XImage& image, int rows, int columns) {
  if (image.data == nullptr || image.width <= 0 || image.height <= 0) return std::nullopt;
  const auto red = ByteShiftOf(image.red_mask);
  const auto green = ByteShiftOf(image.green_mask);
  const auto blue = ByteShiftOf(image.blue_mask);
  const bool direct =
      image.bits_per_pixel == 32 && red && green && blue &&
      (image.byte_order == LSBFirst) == (std::endian::native == std::endian::little);
  if (!direct) return ReducePixelByPixel(image, rows, columns);
  const PixelView view{reinterpret_cast<const std::uint8_t*>(image.data),
                       image.width,
                       image.height,
                       image.bytes_per_line,
                       *red,
                       *green,
                       *blue};
  return ReduceToGrid(view, rows, columns);
}

ScreenGrabber::ScreenGrabber(X11Connection& connection)
    : connection_(connection),
      display_(connection.Get()),
      root_(DefaultRootWindow(connection.Get())) {
  shmAvailable_ = XShmQueryExtension(display_) != 0;
  int event = 0, error = 0;
  int major = 0, minor = 2;
  // Naming a window's pixmap needs version 0.2.
  compositeAvailable_ = XCompositeQueryExtension(display_, &event, &error) != 0 &&
                        XCompositeQueryVersion(display_, &major, &minor) != 0 &&
                        (major > 0 || minor >= 2);
}

ScreenGrabber::~ScreenGrabber() {
  Unredirect();
  windowImage_.reset();
  screenImage_.reset();
}

Grab ScreenGrabber::CaptureScreen(int rows, int columns) {
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display_, root_, &attributes) == 0) return {};
  const Area area{root_,           0, 0, attributes.width, attributes.height, attributes.visual,
                  attributes.depth};
  return Read(area, screenImage_, rows, columns);
}

Grab ScreenGrabber::CaptureWindow(Window window, int rows, int columns) {
  connection_.SyncAndTakeErrors();
  XWindowAttributes attributes;
  const bool exists = XGetWindowAttributes(display_, window, &attributes) != 0;
  if (!exists || connection_.SyncFailed()) {
    if (window == redirected_) redirected_ = 0;  // gone with the window
    return {GrabResult::WindowGone, std::nullopt};
  }
  if (attributes.map_state != IsViewable) return {GrabResult::NotViewable, std::nullopt};
  if (compositeAvailable_) {
    Redirect(window);
    const Pixmap pixmap = XCompositeNameWindowPixmap(display_, window);
    const int border = attributes.border_width;
    const Area area{
        pixmap,          border, border, attributes.width, attributes.height, attributes.visual,
        attributes.depth};
    Grab grab = Read(area, windowImage_, rows, columns);
    XFreePixmap(display_, pixmap);
    if (connection_.SyncFailed() && grab.result == GrabResult::Ok) grab = {};
    if (grab.result == GrabResult::Ok) {
      usedComposite_ = true;
      return grab;
    }
  }
  usedComposite_ = false;
  return CaptureWindowRectangle(window, attributes, rows, columns);
}

// Without its own picture, the window's part of the screen (clipped to the screen).
Grab ScreenGrabber::CaptureWindowRectangle(Window window, const XWindowAttributes& attributes,
                                           int rows, int columns) {
  int x = 0, y = 0;
  Window child = 0;
  if (XTranslateCoordinates(display_, window, root_, 0, 0, &x, &y, &child) == 0 ||
      connection_.SyncFailed()) {
    return {GrabResult::WindowGone, std::nullopt};
  }
  XWindowAttributes rootAttributes;
  if (XGetWindowAttributes(display_, root_, &rootAttributes) == 0) return {};
  const int left = std::max(x, 0);
  const int top = std::max(y, 0);
  const int right = std::min(x + attributes.width, rootAttributes.width);
  const int bottom = std::min(y + attributes.height, rootAttributes.height);
  if (right <= left || bottom <= top) return {GrabResult::NotViewable, std::nullopt};
  const Area area{
      root_, left, top, right - left, bottom - top, rootAttributes.visual, rootAttributes.depth};
  return Read(area, windowImage_, rows, columns);
}

Grab ScreenGrabber::Read(const Area& area, std::unique_ptr<ShmImage>& cache, int rows,
                         int columns) {
  if (!IsValidGridSize(rows, columns) || area.width <= 0 || area.height <= 0) return {};
  if (shmAvailable_) {
    if (!cache || !cache->Fits(area.visual, area.depth, area.width, area.height)) {
      cache.reset();
      cache = ShmImage::Create(connection_, area.visual, area.depth, area.width, area.height);
      // A server that refuses to share memory refuses it every time.
      if (!cache) shmAvailable_ = false;
    }
    if (cache && cache->Read(area.drawable, area.x, area.y)) {
      usedSharedMemory_ = true;
      std::optional<ColorGrid> grid = ReduceXImage(cache->Image(), rows, columns);
      if (!grid) return {};
      return {GrabResult::Ok, std::move(grid)};
    }
    connection_.SyncAndTakeErrors();
  }
  usedSharedMemory_ = false;
  UniqueXImage image(XGetImage(display_, area.drawable, area.x, area.y,
                               static_cast<unsigned>(area.width),
                               static_cast<unsigned>(area.height), AllPlanes, ZPixmap));
  if (!image) {
    connection_.SyncAndTakeErrors();
    return {};
  }
  // A pixmap's picture comes without a visual, and so without channel masks.
  if (image->red_mask == 0 && area.visual != nullptr) {
    image->red_mask = area.visual->red_mask;
    image->green_mask = area.visual->green_mask;
    image->blue_mask = area.visual->blue_mask;
  }
  std::optional<ColorGrid> grid = ReduceXImage(*image, rows, columns);
  if (!grid) return {};
  return {GrabResult::Ok, std::move(grid)};
}

void ScreenGrabber::Redirect(Window window) {
  if (window == redirected_) return;
  Unredirect();
  // Automatic: the server keeps drawing the window on the screen as before.
  XCompositeRedirectWindow(display_, window, CompositeRedirectAutomatic);
  redirected_ = window;
}

void ScreenGrabber::Unredirect() {
  if (redirected_ == 0) return;
  // The window may have closed meanwhile; the error is recorded and dropped.
  XCompositeUnredirectWindow(display_, redirected_, CompositeRedirectAutomatic);
  connection_.SyncAndTakeErrors();
  redirected_ = 0;
}

}  // namespace platform
