#pragma once
// The pictures of the theme, drawn from code so that they can be remade at any size.

#include <QImage>
#include <QSize>

namespace skins {

inline constexpr QSize kWindowSize(1400, 788);

// The still background of the pages: dark, with soft coloured light and a faint hexagon grid.
QImage StillBackground();
// One frame of the home page's animated background: the still background with waves of light
// running slowly along the grid and a few drifting sparks. Frame `count` equals frame 0.
QImage HomeFrame(int frame, int count);

// The application's mark: a key cap with a "T".
QImage Logo(int side);

// Line icons of the title bar and the home page's web links.
enum class TitleIcon {
  Background,
  Minimize,
  Close,
  Web,
  Store,
  Feedback,
  Faq,
  Profile,
  Add,
  Import,
  Manage
};
QImage TitleBarIcon(TitleIcon icon, int side);

}  // namespace skins
