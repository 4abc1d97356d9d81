#pragma once
// What the window says about the application itself: the language buttons of the settings
// page, the version labels, the web buttons of the home page, and the close button's tooltip.

#include <functional>
#include <string>

#include "core/Feature.h"

class SettingsStore;
struct DeviceCatalogue;
namespace core {
class TextTable;
}

class ApplicationPage : public Feature {
 public:
  using OpenUrl = std::function<bool(const std::string&)>;

  ApplicationPage(Tessel::PageHost& host, SettingsStore& settings, core::TextTable& texts,
                  const DeviceCatalogue& catalogue, OpenUrl openUrl);

  FeatureSlot Slot() const override { return FeatureSlot::kWindow; }
  std::vector<TextBinding> TextBindings() const override;
  void ApplyTexts() override;
  bool OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override;

  // After the catalogue is loaded: the web buttons that have an address; the language.
  void ShowCatalogue();
  void ShowLanguageButtons();
  // A language button was clicked: the language is stored and every text of the window
  // changes.
  void OnLanguageChanged();

 private:
  std::string Text(int id) const;
  void OpenWebAddress(const std::string& url);

  Tessel::PageHost& host_;
  SettingsStore& settings_;
  core::TextTable& texts_;
  const DeviceCatalogue& catalogue_;
  OpenUrl openUrl_;
};
