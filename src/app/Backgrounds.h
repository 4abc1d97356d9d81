#pragma once
// The window's background pictures: an animated one behind the home page, a still one behind
// every other page, each either the user's choice (the background button's menu) or the
// shipped default.

#include "core/Feature.h"

class SettingsStore;
struct SharedState;
namespace core {
class TextTable;
}

class Backgrounds : public Feature {
 public:
  Backgrounds(Tessel::PageHost& host, const SharedState& state, SettingsStore& settings,
              const core::TextTable& texts);

  FeatureSlot Slot() const override { return FeatureSlot::kWindow; }
  bool OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override;
  std::optional<std::intptr_t> OnWindowMessage(unsigned message, std::intptr_t wParam,
                                               std::intptr_t lParam) override;
  void OnPageShown(int /*pageId*/) override { Show(); }

  // Shows the background of the current page, from the settings or the defaults.
  void Show();
  // Forgets the user's pictures.
  void RestoreDefaults();

 private:
  void ShowMenu();
  void OnMenuChosen(int item);

  Tessel::PageHost& host_;
  const SharedState& state_;
  SettingsStore& settings_;
  const core::TextTable& texts_;
};
