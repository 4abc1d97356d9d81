#include "ui/tessel/TextBindings.h"

#include "ui/tessel/Controls.h"
#include "ui/tessel/MWindow.h"

void ApplyTextBindings(Tessel::MWindow& window, const std::vector<TextBinding>& bindings,
                       const TextLookup& text) {
  for (const TextBinding& binding : bindings) {
    Tessel::MControl* control = window.FindControl(binding.controlId);
    if (control == nullptr) continue;
    const std::string value = text(binding.textId, binding.caption);
    switch (binding.target) {
      case TextTarget::Title:
        if (auto* titled = dynamic_cast<Tessel::MControlFont*>(control)) titled->SetTitle(value);
        break;
      case TextTarget::ToolTip:
        control->SetToolTip(value);
        break;
      case TextTarget::Item:
        if (auto* list = dynamic_cast<Tessel::MItemList*>(control))
          list->SetItemText(binding.item, value);
        break;
    }
  }
}
