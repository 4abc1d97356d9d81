#include "keys/KnobConfigDlg.h"

#include "core/TextIds.h"
#include "core/TextTable.h"
#include "core/WindowMessages.h"
#include "ui/tessel/Controls.h"

namespace keys {
namespace {

using Tessel::Rect;

// The lists top to bottom are actions 0, 1 and 2, labelled with these texts.
constexpr int kActionTexts[KnobConfigDlg::kActionCount] = {text::kKnobAction0, text::kKnobAction1,
                                                           text::kKnobAction2};
constexpr int kFirstRowTop = 112;
constexpr int kRowStep = 64;

}  // namespace

KnobConfigDlg::KnobConfigDlg(const core::TextTable& texts, std::vector<KeyFunctionEntry> functions,
                             int layer, const Rows& rows)
    : MDialog(kWindowName),
      texts_(texts),
      functions_(std::move(functions)),
      layer_(layer),
      rows_(rows) {}

void KnobConfigDlg::CreateControls() {
  const auto text = [&](int id) { return texts_.GetText(text::kDialogSection, id); };
  auto* caption = Add<Tessel::MControlFont>(kCaptionId);
  caption->SetRect(Rect::FromSize(24, 18, 400, 28));
  caption->SetStyle("dialog-caption");
  caption->SetTitle(text(text::kKnobTitle));
  auto* close = Add<Tessel::MButton>(kCloseId);
  close->SetRect(Rect::FromSize(kWidth - 44, 14, 28, 28));
  close->SetStyle("window-close");
  close->SetIcon("skins/theme1/icon_close.png");
  auto* hint = Add<Tessel::MControlFont>(kHintId);
  hint->SetRect(Rect::FromSize(24, 54, kWidth - 48, 40));
  hint->SetStyle("hint");
  hint->SetWordWrap(true);
  hint->SetTitle(text(text::kKnobHint));
  for (int action = 0; action < kActionCount; ++action) {
    const int top = kFirstRowTop + action * kRowStep;
    auto* label = Add<Tessel::MControlFont>(kLabelId + action);
    label->SetRect(Rect::FromSize(24, top, 150, 40));
    label->SetTitle(text(kActionTexts[action]));
    auto* list = Add<Tessel::MComboBox>(kListId + action);
    list->SetRect(Rect::FromSize(180, top, kWidth - 204, 40));
  }
  auto* done = Add<Tessel::MButton>(kDoneId);
  done->SetRect(Rect::FromSize(kWidth - 144, kHeight - 64, 120, 40));
  done->SetStyle("primary");
  done->SetTitle(text(text::kKnobDone));
}

void KnobConfigDlg::OnInitDialog() {
  for (int action = 0; action < kActionCount; ++action) {
    auto* list = GetControl<Tessel::MComboBox>(kListId + action);
    for (std::size_t i = 0; i < functions_.size(); ++i) {
      list->AddItem(functions_[i].name, static_cast<std::intptr_t>(i));
    }
    // A function the list does not offer (a mouse function of the factory set, say) selects
    // nothing.
    const storage::KeyAssignmentRecord& row = rows_[static_cast<std::size_t>(action)];
    int selected = -1;
    for (std::size_t i = 0; i < functions_.size() && selected < 0; ++i) {
      if (functions_[i].type == row.macro_type && functions_[i].code == row.macro_value) {
        selected = static_cast<int>(i);
      }
    }
    list->SetCurSel(selected);
  }
}

void KnobConfigDlg::OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t) {
  if ((id == kCloseId || id == kDoneId) && code == Tessel::kEventClick) {
    DoCancel();
    return;
  }
  const int action = id - kListId;
  if (action >= 0 && action < kActionCount && code == Tessel::kEventSelChanged) {
    Choose(action, static_cast<int>(arg1));
  }
}

void KnobConfigDlg::Choose(int action, int position) {
  if (position < 0 || position >= static_cast<int>(functions_.size())) return;
  const KeyFunctionEntry& function = functions_[static_cast<std::size_t>(position)];
  storage::KeyAssignmentRecord& row = rows_[static_cast<std::size_t>(action)];
  row.macro_type = function.type;
  row.macro_value = function.code;
  row.macro_desc = function.name;
  untaken_[static_cast<std::size_t>(action)] = true;
  if (Tessel::MWindow* owner = GetParentWindow()) {
    owner->PostMessage(UM_KNOB_CONFIG, action, reinterpret_cast<std::intptr_t>(this));
  }
}

std::vector<int> KnobConfigDlg::UntakenActions() const {
  std::vector<int> actions;
  for (int action = 0; action < kActionCount; ++action) {
    if (untaken_[static_cast<std::size_t>(action)]) actions.push_back(action);
  }
  return actions;
}

void KnobConfigDlg::MarkTaken(int action) {
  if (action >= 0 && action < kActionCount) untaken_[static_cast<std::size_t>(action)] = false;
}

}  // namespace keys
