#pragma once
// A list of pictures, each with a caption and a detail line below or beside it (the screen
// page's screens, its library of animations and the frames of one animation). One item is
// current; the user's choice is reported as kEventSelChanged with the position in arg1 and the
// item's data in arg2, a double click as kEventDoubleClick with the same arguments.
//
// A picture is a file (absolute, or relative to the application folder). Giving an item its
// picture again makes the backend read the file again, so an edited frame shows what it holds
// now.

#include <cstdint>
#include <string>

#include "ui/tessel/Controls.h"

namespace Tessel {

class ThumbnailList : public MItemList {
 public:
  ThumbnailList(MWindow& owner, int id) : MItemList(owner, id, kClassName) {}
  static constexpr const char* kClassName = "ThumbnailList";

  enum class Flow { kHorizontal, kVertical };

  int AddPictureItem(std::string text, std::intptr_t data, std::string picture,
                     std::string detail = {});
  // At a position (the end when it lies beyond); the current item stays the same item.
  int InsertPictureItem(int position, std::string text, std::intptr_t data, std::string picture,
                        std::string detail = {});
  // The current item moves to the item before it when it was the one removed.
  bool RemoveItem(int position);
  void SetItemPicture(int position, std::string picture);
  std::string GetItemPicture(int position) const;
  // Grows with every SetItemPicture of the item.
  std::uint64_t GetItemRevision(int position) const;
  void SetItemDetail(int position, std::string detail);
  std::string GetItemDetail(int position) const;

  // Items side by side (scrolling sideways) or one below the other.
  void SetFlow(Flow flow);
  Flow GetFlow() const;
  // The size of one item's tile; its picture keeps the proportions of the screen.
  void SetTileSize(int width, int height);
  int GetTileWidth() const;
  int GetTileHeight() const;
  // Animated pictures play.
  void SetAnimated(bool animated);
  bool IsAnimated() const;

  void UserDoubleClick(int position);

 private:
  bool ValidLocked(int position) const {
    return position >= 0 && position < static_cast<int>(items_.size());
  }

  Flow flow_ = Flow::kHorizontal;
  int tileWidth_ = 120;
  int tileHeight_ = 96;
  bool animated_ = false;
  std::uint64_t nextRevision_ = 1;
};

}  // namespace Tessel
