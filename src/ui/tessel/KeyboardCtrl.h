#pragma once
// The keyboard view: the picture of the current keyboard model with one item per key. Pages
// label the keys with their assigned functions, colour them with the keyboard's light and let
// the user select keys to remap or paint.
//
// Coordinates. Key rectangles are layout coordinates: the space of SetWidthAndHeight, with
// (0, 0) at the view's top left. The layout is scaled, keeping its proportions, into the
// control's rectangle and centred there. Points given to the control (UserPressAt, DragMove,
// KeyAt) are in the coordinates the control's rectangle is given in (its parent's client
// coordinates).
//
// Modes. 100 shows the keys and reacts to nothing; 101 lets the user select keys (key
// customization); 103 also shows every key's colour (per-key lighting). Selecting: a click
// selects one key (with Ctrl it adds or removes a key), pressing and dragging adds every key
// the pointer crosses, Ctrl+A selects all. Events to the owner: a click on a key is
// kEventClick with the key code (0 when no key is under the pointer), each key a drag enters
// is kEventDragOver with its code, selecting all or none from the keyboard is kEventSelChanged
// with the number of selected keys.
//
// The device worker paints live colours into the view many times a second: SetKeyColors
// changes any number of keys under one lock with one repaint request.

#include <array>
#include <set>
#include <string>
#include <vector>

#include "ui/tessel/KeyboardPicture.h"

namespace Tessel {

enum KeyboardCtrlMode : int {
  kKeyboardModePlain = 100,
  kKeyboardModeSelect = 101,
  kKeyboardModeColor = 103,
};

// The knob's key code; its item is drawn round.
inline constexpr int kKnobKeyCode = 0xFF;

// One key of the view.
struct KEY_INFO {
  int code = 0;
  std::string name;  // the key's own name, shown when it has no label
  std::string desc;  // a longer name, shown in the key's tool tip
  Rect rect;         // layout coordinates
  std::string text;  // the label, for example the name of the assigned function
  int type = 0;      // the function type that goes with the label
  std::string tip;   // a note shown in the key's tool tip
  Color color = 0;   // 0x00BBGGRR; 0 is dark
  bool selected = false;
  bool encoder = false;  // the knob (added with code 0xFF): keeps its round look when recoded

  // What the key shows: its label, or its name when it has none.
  const std::string& Caption() const { return text.empty() ? name : text; }
  friend bool operator==(const KEY_INFO&, const KEY_INFO&) = default;
};

struct KeyColor {
  int code = 0;
  Color color = 0;
};

// Where layout coordinates land inside the control: view x = offsetX + layout x * scale
// (relative to the control's top left), the same for y.
struct LayoutTransform {
  double scale = 1.0;
  double offsetX = 0.0;
  double offsetY = 0.0;
};
// The layout scaled into a view of the given size, keeping its proportions, centred. A layout
// without a size is drawn 1:1 from the top left.
LayoutTransform FitLayout(int layoutWidth, int layoutHeight, int viewWidth, int viewHeight);

// Everything the drawing needs, read under one lock.
struct KeyboardSnapshot {
  std::vector<KEY_INFO> keys;
  std::string picture;
  int layoutWidth = 0;
  int layoutHeight = 0;
  Color background = 0;
  int mode = kKeyboardModePlain;
  int current = -1;  // list position of the key selected last; -1 when none
};

class KeyboardCtrl : public KeyboardPictureControl {
 public:
  KeyboardCtrl(MWindow& owner, int id) : KeyboardPictureControl(owner, id, kClassName) {}
  static constexpr const char* kClassName = "KeyboardCtrl";
  static constexpr int kLightModeColorCount = 16;

  // Keys, in drawing order (later keys lie on top).
  void AddKeyItem(std::string name, std::string desc, int code, const Rect& rect, std::string text,
                  Color color);
  void ClearItem();
  std::vector<KEY_INFO> GetKeyItems() const;
  int GetKeyCount() const;
  KeyboardSnapshot GetSnapshot() const;

  // The keyboard picture (relative to the application folder) and the layout's size.
  // The colour behind the picture.
  void SetKeyboardColor(Color color);
  Color GetKeyboardColor() const;
  // The colours of the light modes; index 0 is the current one. Other indices are ignored.
  void SetLightModeColor(int index, Color color);
  Color GetLightModeColor(int index) const;

  // Labels every key with the code; false when there is none.
  bool SetKeyItemInfo(int code, std::string text, int type = 0, std::string tip = {});
  // Takes every label and note away: each key shows its own name again.
  void ResetTipKey();

  // Colours. Each returns how many keys changed colour.
  int SetKeyColor(int code, Color color);
  int SetKeyColors(const std::vector<KeyColor>& colors);
  int SetSelectedKeysColor(Color color);
  void ResetAllItemsColor(Color color);

  // Selection (no events).
  void ResetAllItemCheck(int checked = 0);
  bool SetKeyCheck(int code, bool selected);
  // The key selected last that is still selected (else the first selected key); 0 when none.
  int GetSelectedKeyCode() const;
  std::vector<int> GetSelectedKeyCodes() const;

  // 100, 101 or 103; other values are refused. Mode 100 drops the selection.
  bool SetKeyboardCtrlMode(int mode);
  int GetKeyboardCtrlMode() const;

  // Gives the key at a list position another code (the knob becomes a plain key and back).
  bool SetKeyEncoder(int position, int code);

  LayoutTransform GetLayoutTransform() const;
  // The code of the topmost key under a point; 0 when there is none.
  int KeyAt(int x, int y) const;

  // Moves the pointer of a drag begun with UserPressAt: every key on the way is entered as by
  // UserDragOverKey. False when no drag is under way. UI thread.
  bool DragMove(int x, int y);

  // User actions (UI thread). They do nothing in mode 100 or while the view is disabled.
  // A press on a key at a point; it also begins a drag there.
  void UserPressAt(int x, int y, bool additive);
  // A click on a key: it alone becomes selected, or with `additive` it toggles. Code 0 (or a
  // code no key has) is a click beside the keys, which drops the selection unless additive.
  void UserPressKey(int code, bool additive);
  // The pointer of a drag entered a key: it joins the selection; reported once per drag.
  void UserDragOverKey(int code);
  void UserEndDrag();
  // A right click at a point: the key under it becomes selected as by a click, then the view
  // reports kEventRightClick with its code (0 beside the keys), for a menu of the key.
  void UserContextAt(int x, int y);
  void UserSelectAll();
  void UserClearSelection();

 private:
  struct Drag {
    bool active = false;
    bool hasPoint = false;  // a drag begun by UserPressKey has no point yet
    double lastX = 0.0;
    double lastY = 0.0;
    std::set<int> entered;  // list positions
  };

  bool AcceptsUserLocked() const { return mode_ != kKeyboardModePlain; }
  int PositionOfLocked(int code) const;
  // The topmost key under a point in the coordinates of `rect`; -1 when none.
  int PositionAtLocked(const Rect& rect, double x, double y) const;
  // Applies a click to the selection and begins a drag there; true when the selection changed.
  bool PressLocked(int position, bool additive);
  // A drag entered a key: it joins the selection; false when the drag had entered it before.
  bool EnterLocked(int position);
  void UserSelectEvery(bool selected);
  // Repaints when the state changed, then reports the user's action.
  void Finish(bool changed, int event, std::intptr_t arg);
  // Runs `change` under the lock; when it reports changed keys the view is asked to repaint.
  template <class Change>
  int ChangeKeys(Change change);

  std::vector<KEY_INFO> items_;
  Color background_ = 0;
  std::array<Color, kLightModeColorCount> lightModeColors_{};
  int mode_ = kKeyboardModePlain;
  int current_ = -1;  // list position of the key selected last
  Drag drag_;
};

}  // namespace Tessel
