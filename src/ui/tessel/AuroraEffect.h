#pragma once
// The effect view of the screen-sync and music page: the keyboard picture with one item per
// key, each lit by a cell of the effect's colour grid. The device worker reads the keys'
// colours back and streams them to the keyboard.

#include <string>
#include <vector>

#include "ui/tessel/KeyboardPicture.h"

namespace Tessel {

// One key of the effect view.
struct KEYITEM_INFO {
  int code = 0;
  std::string name;
  Rect rect;       // layout coordinates, as in the keyboard view
  int column = 0;  // the key's cell in the colour grid
  int row = 0;
  Color color = 0;  // the colour the effect gave the key, 0x00BBGGRR
  friend bool operator==(const KEYITEM_INFO&, const KEYITEM_INFO&) = default;
};

class AuroraEffect : public KeyboardPictureControl {
 public:
  AuroraEffect(MWindow& owner, int id) : KeyboardPictureControl(owner, id, kClassName) {}
  static constexpr const char* kClassName = "AuroraEffect";

  // Keys, in the order they were added.
  void AddKeyItem(std::string name, int code, const Rect& rect, int column, int row);
  void ClearItem();
  std::vector<KEYITEM_INFO> GetKeyItems() const;
  int GetKeyCount() const;

  // The keyboard picture (relative to the application folder) and the layout's size.

 private:
  std::vector<KEYITEM_INFO> items_;
};

}  // namespace Tessel
