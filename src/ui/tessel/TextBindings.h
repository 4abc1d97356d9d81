#pragma once
// Which language text each control of a page shows. The controller re-applies the tables
// after a language change and on the re-apply message.

#include <functional>
#include <string>
#include <vector>

namespace Tessel {
class MWindow;
}

enum class TextTarget {
  Title,    // the control's title
  ToolTip,  // its tooltip
  Item,     // the text of item `item` of a tab control, combo box or list
};

struct TextBinding {
  int controlId = 0;
  int textId = 0;
  TextTarget target = TextTarget::Title;
  int item = 0;
  bool caption = false;  // the text comes from the "CAPTION" section, not "KB.DIALOG"
};

// Looks a text up by id; `caption` selects the "CAPTION" section.
using TextLookup = std::function<std::string(int textId, bool caption)>;

void ApplyTextBindings(Tessel::MWindow& window, const std::vector<TextBinding>& bindings,
                       const TextLookup& text);
