#include "platform/capture/ShmImage.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace platform {

ShmImage::ShmImage(X11Connection& connection, Visual* visual, int depth)
    : connection_(connection), visual_(visual), depth_(depth) {
  segment_.shmid = -1;
  segment_.shmaddr = reinterpret_cast<char*>(-1);
}

std::unique_ptr<ShmImage> ShmImage::Create(X11Connection& connection, Visual* visual, int depth,
                                           int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  std::unique_ptr<ShmImage> shm(new ShmImage(connection, visual, depth));
  Display* display = connection.Get();
  shm->image_ =
      XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr,
                      &shm->segment_, static_cast<unsigned>(width), static_cast<unsigned>(height));
  if (shm->image_ == nullptr) return nullptr;
  const std::size_t size = static_cast<std::size_t>(shm->image_->bytes_per_line) *
                           static_cast<std::size_t>(shm->image_->height);
  shm->segment_.shmid = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
  if (shm->segment_.shmid < 0) return nullptr;
  shm->segment_.shmaddr = static_cast<char*>(shmat(shm->segment_.shmid, nullptr, 0));
  if (shm->segment_.shmaddr == reinterpret_cast<char*>(-1)) return nullptr;
  shm->image_->data = shm->segment_.shmaddr;
  shm->segment_.readOnly = False;
  connection.SyncAndTakeErrors();
  const bool attached = XShmAttach(display, &shm->segment_) != 0;
  // The attachment is refused asynchronously (a server on another machine cannot share).
  if (!attached || connection.SyncFailed()) return nullptr;
  shm->attached_ = true;
  return shm;
}

ShmImage::~ShmImage() {
  if (attached_) {
    XShmDetach(connection_.Get(), &segment_);
    connection_.SyncAndTakeErrors();
  }
  if (image_ != nullptr) {
    image_->data = nullptr;  // the segment is not Xlib's to free
    XDestroyImage(image_);
  }
  if (segment_.shmaddr != reinterpret_cast<char*>(-1)) shmdt(segment_.shmaddr);
  // Removed once the server has detached too.
  if (segment_.shmid >= 0) shmctl(segment_.shmid, IPC_RMID, nullptr);
}

bool ShmImage::Fits(Visual* visual, int depth, int width, int height) const {
  return visual == visual_ && depth == depth_ && image_->width == width && image_->height == height;
}

bool ShmImage::Read(Drawable drawable, int x, int y) {
  // A round trip of its own: a refusal comes back as the reply's error.
  if (XShmGetImage(connection_.Get(), drawable, image_, x, y, AllPlanes) == 0) return false;
  // The reply names the drawable's visual; a pixmap has none, and Xlib then clears the
  // channel masks. The pixels are still those of the visual the image was made for.
  if (visual_ != nullptr && image_->red_mask == 0) {
    image_->red_mask = visual_->red_mask;
    image_->green_mask = visual_->green_mask;
    image_->blue_mask = visual_->blue_mask;
  }
  return true;
}

}  // namespace platform
