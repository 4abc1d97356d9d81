#include "ui/pages/MainWindowTexts.h"

#include "core/SharedState.h"
#include "core/TextIds.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/MainWindowLayout.h"

namespace {

int TabTitle(int page) {
  switch (page) {
    case kPageHome:
      return text::kTabHome;
    case kPageLighting:
      return text::kTabLighting;
    case kPageMatrix:
      return text::kTabMatrix;
    case kPageScreen:
      return text::kTabScreen;
    case kPageKeys:
      return text::kTabKeys;
    case kPageMacros:
      return text::kTabMacros;
    case kPageScreenSync:
      return text::kTabEffects;
    default:
      return text::kTabSettings;
  }
}

}  // namespace

std::vector<TextBinding> MainWindowTextBindings() {
  std::vector<TextBinding> bindings = {
      {ids::kBackgroundButton, text::kChangeBackgroundTip, TextTarget::ToolTip},
      {ids::kMinimizeButton, text::kMinimizeTip, TextTarget::ToolTip},
  };
  for (int position = 0; position < kMainTabCount; ++position) {
    bindings.push_back(
        {ids::kMainTabs, TabTitle(kMainTabPages[position]), TextTarget::Item, position});
  }
  return bindings;
}
