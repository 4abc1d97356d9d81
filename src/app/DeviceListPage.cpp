#include "app/DeviceListPage.h"

#include "base/Text.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/DeviceList.h"
#include "ui/tessel/PageHost.h"

namespace {

// Where the no-keyboard message sits: in the middle of the page, or below the cards.
constexpr int kMessageTop = 250;
constexpr int kMessageTopBelowCards = 430;
constexpr int kHintOffset = 50;

}  // namespace

DeviceListPage::DeviceListPage(Tessel::PageHost& host, const core::TextTable& texts)
    : host_(host), texts_(texts) {}

namespace {

// What a connection mode shows: a receiver whose keyboard does not answer is asleep.
int ModeState(int mode, bool online) {
  if (online) return Tessel::kModeOnline;
  return mode == device::kModeReceiver ? Tessel::kModeAsleep : Tessel::kModeAbsent;
}

}  // namespace

void DeviceListPage::ShowDevices(const std::vector<device::DeviceRecordInfo>& records,
                                 int storedModel) {
  auto* list = host_.GetControl<Tessel::CDeviceList>(ids::kDeviceList);
  list->SetAllDeviceState(0);
  for (const device::DeviceRecordInfo& record : records) {
    list->SetDeviceState(record.modelId, record.mode, ModeState(record.mode, record.online != 0));
    // A keyboard that has not reported its battery (asleep behind its receiver) shows none.
    if (record.batteryReported) {
      list->SetDeviceBattery(record.modelId, record.mode, record.battery, record.charging);
    }
  }
  list->SetSelectDevice(storedModel);
}

int DeviceListPage::SelectedModel() const {
  return host_.GetControl<Tessel::CDeviceList>(ids::kDeviceList)->GetSelectDevice();
}

bool DeviceListPage::SelectModel(int modelId) {
  auto* list = host_.GetControl<Tessel::CDeviceList>(ids::kDeviceList);
  // A model the list does not hold leaves the selection as it was.
  for (const Tessel::DeviceItem& item : list->GetItems()) {
    if (item.modelId != modelId || modelId == 0) continue;
    list->SetSelectDevice(modelId);
    return true;
  }
  return false;
}

std::vector<Tessel::DeviceItem> DeviceListPage::Items() const {
  return host_.GetControl<Tessel::CDeviceList>(ids::kDeviceList)->GetItems();
}

void DeviceListPage::ShowModeState(int modelId, int mode, bool online) {
  host_.GetControl<Tessel::CDeviceList>(ids::kDeviceList)
      ->SetDeviceState(modelId, mode, ModeState(mode, online));
}

void DeviceListPage::ShowBattery(int modelId, int mode, int level, int charging) {
  host_.GetControl<Tessel::CDeviceList>(ids::kDeviceList)
      ->SetDeviceBattery(modelId, mode, level, charging);
}

void DeviceListPage::ShowConnected() {
  host_.RunOnUiThread([this] {
    host_.SetVisible(ids::kMainTabs, true);
    host_.SetVisible(ids::kDeviceList, true);
    host_.SetVisible(ids::kNoKeyboardText, false);
    host_.SetVisible(ids::kNoKeyboardHint, false);
  });
}

void DeviceListPage::ShowDisconnected(bool anyKeyboard, const NoKeyboardMessage& message) {
  {
    std::lock_guard lock(mutex_);
    message_ = message;
  }
  host_.RunOnUiThread([this, anyKeyboard] {
    ApplyTexts();
    host_.SetVisible(ids::kMainTabs, false);
    host_.SetVisible(ids::kDeviceList, anyKeyboard);
    const int top = anyKeyboard ? kMessageTopBelowCards : kMessageTop;
    for (auto [id, y] : {std::pair{int{ids::kNoKeyboardText}, top},
                         std::pair{int{ids::kNoKeyboardHint}, top + kHintOffset}}) {
      Tessel::MControl* control = host_.FindControl(id);
      const Tessel::Rect rect = control->GetRect();
      control->SetRect(Tessel::Rect::FromSize(rect.left, y, rect.Width(), rect.Height()));
      control->SetVisible(true);
    }
  });
}

void DeviceListPage::ApplyTexts() {
  NoKeyboardMessage message;
  {
    std::lock_guard lock(mutex_);
    message = message_;
  }
  ShowMessage(message);
}

void DeviceListPage::ShowMessage(const NoKeyboardMessage& message) {
  auto text = [this](int id) { return texts_.GetText(text::kDialogSection, id); };
  std::string title = text(text::kHomeNoKeyboard);
  std::string hint = text(text::kHomeNoKeyboardHint);
  switch (message.kind) {
    case NoKeyboardMessage::Kind::kNothingAttached:
      break;
    case NoKeyboardMessage::Kind::kAsleep:
      title = base::Format(text(text::kHomeKeyboardAsleep), message.selectedName);
      hint = text(text::kHomeKeyboardAsleepHint);
      break;
    case NoKeyboardMessage::Kind::kOtherAttached:
      title =
          base::Format(text(text::kHomeOtherKeyboard), message.selectedName, message.attachedName);
      hint.clear();
      break;
  }
  if (auto* label = host_.GetControl<Tessel::MControlFont>(ids::kNoKeyboardText)) {
    label->SetTitle(title);
  }
  if (auto* label = host_.GetControl<Tessel::MControlFont>(ids::kNoKeyboardHint)) {
    label->SetTitle(hint);
  }
}

bool DeviceListPage::OverviewShown() const {
  const Tessel::MControl* overview = host_.FindControl(ids::kDeviceOverview);
  return overview != nullptr && overview->IsShown();
}
