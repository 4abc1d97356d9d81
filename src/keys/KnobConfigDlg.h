#pragma once
// The knob dialog: the three actions of the knob on one Fn layer, each with a list of the
// functions it can have. Every choice goes to the owner window at once as UM_KNOB_CONFIG (the
// action in wParam, this dialog in lParam); closing the dialog loses nothing.

#include <array>
#include <string>
#include <vector>

#include "keys/KeyFunctionCatalogue.h"
#include "storage/Records.h"
#include "ui/tessel/MWindow.h"

namespace core {
class TextTable;
}

namespace keys {

class KnobConfigDlg : public Tessel::MDialog {
 public:
  static constexpr const char* kWindowName = "KnobConfigDlg";
  static constexpr int kWidth = 500;
  static constexpr int kHeight = 380;
  static constexpr int kActionCount = 3;
  using Rows = std::array<storage::KeyAssignmentRecord, kActionCount>;
  enum ControlId { kCaptionId = 1, kCloseId = 2, kHintId = 3, kDoneId = 4 };
  // Label and list of action n: kLabelId + n and kListId + n.
  static constexpr int kLabelId = 10;
  static constexpr int kListId = 20;

  KnobConfigDlg(const core::TextTable& texts, std::vector<KeyFunctionEntry> functions, int layer,
                const Rows& rows);

  int Layer() const { return layer_; }
  const Rows& GetRows() const { return rows_; }
  // Actions chosen in the dialog that the owner has not taken yet.
  std::vector<int> UntakenActions() const;
  void MarkTaken(int action);

  void OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override;

 protected:
  void CreateControls() override;
  void OnInitDialog() override;

 private:
  void Choose(int action, int position);

  const core::TextTable& texts_;
  const std::vector<KeyFunctionEntry> functions_;
  const int layer_;
  Rows rows_;
  std::array<bool, kActionCount> untaken_{};
};

}  // namespace keys
