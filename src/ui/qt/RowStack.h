#pragma once
// Rows of one height stacked with a gap in a list view, scrolled by whole rows: which rows
// show, where a row is drawn, which row a point is on.

#include <QPoint>
#include <QRect>
#include <algorithm>

namespace TesselQt {

struct RowStack {
  int rowHeight;
  int gap;

  // How many rows a view of `height` shows (at least one).
  int VisibleRows(int height) const { return std::max(1, (height + gap) / (rowHeight + gap)); }
  // The row `index` in a view of `width` scrolled to the row `scroll`.
  QRect RowRect(int index, int scroll, int width) const {
    return QRect(0, (index - scroll) * (rowHeight + gap), width, rowHeight);
  }
  // The row under `point` of `count` rows; -1 for none (the gap between rows included).
  int RowAt(QPoint point, int scroll, int count, int width) const {
    const int index = scroll + point.y() / (rowHeight + gap);
    if (index < 0 || index >= count || !RowRect(index, scroll, width).contains(point)) return -1;
    return index;
  }
  // `scroll` kept within the rows: the last row never scrolls above the view's bottom.
  int ClampScroll(int scroll, int count, int height) const {
    return std::clamp(scroll, 0, std::max(0, count - VisibleRows(height)));
  }
};

}  // namespace TesselQt
