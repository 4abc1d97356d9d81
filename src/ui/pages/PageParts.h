#pragma once
// The building blocks every page's layout is made of: cards on the page, and controls placed
// in a card (or on the page) at a rectangle, with the style sheet's look they take.

#include "ui/tessel/Controls.h"
#include "ui/tessel/PageHost.h"
#include "ui/tessel/Types.h"

namespace pages {

// A card (rounded panel) on the page `page`, at `rect` in page coordinates.
inline Tessel::MArea* AddCard(Tessel::PageHost& window, int page, int id,
                              const Tessel::Rect& rect) {
  auto* card = window.CreateArea(id, page);
  card->SetRect(rect);
  card->SetStyle("card");
  return card;
}

// A control of type T in `parent`, at `rect` in the parent's coordinates.
template <class T>
T* Place(Tessel::PageHost& window, int id, int parent, const Tessel::Rect& rect,
         const char* style = nullptr) {
  T* control = window.Add<T>(id, parent);
  control->SetRect(rect);
  if (style != nullptr) control->SetStyle(style);
  return control;
}

}  // namespace pages
