#pragma once
// The main tabs: which page each tab position shows. Features name pages by id; only the
// window's frame deals in tab positions.

#include <array>

#include "core/SharedState.h"

// The main tabs in order: position -> page id.
inline constexpr std::array<int, 8> kMainTabPages = {kPageHome,       kPageLighting, kPageMatrix,
                                                     kPageScreen,     kPageKeys,     kPageMacros,
                                                     kPageScreenSync, kPageSettings};
inline constexpr int kMainTabCount = static_cast<int>(kMainTabPages.size());

// The tab position that shows a page; -1 for a page without a tab.
constexpr int TabPositionOf(int pageId) {
  for (int position = 0; position < kMainTabCount; ++position) {
    if (kMainTabPages[static_cast<std::size_t>(position)] == pageId) return position;
  }
  return -1;
}
