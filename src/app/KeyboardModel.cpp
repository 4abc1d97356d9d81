#include "app/KeyboardModel.h"

#include "catalogue/DeviceCatalogue.h"
#include "catalogue/KeyboardLayout.h"
#include "core/AppPaths.h"
#include "core/ModelCapabilities.h"
#include "core/SettingsStore.h"
#include "core/SharedState.h"
#include "storage/SettingsDatabase.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/AuroraEffect.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/DeviceList.h"
#include "ui/tessel/KeyboardCtrl.h"
#include "ui/tessel/PageHost.h"

namespace {

// The colour every key of a new layout starts with.
constexpr Tessel::Color kDefaultKeyColor = 0x604E3A;

}  // namespace

KeyboardModel::KeyboardModel(Tessel::PageHost& host, SharedState& state, const AppPaths& paths,
                             SettingsStore& settings, storage::SettingsDatabase& database,
                             DeviceCatalogue& catalogue, CurrentLayout& layout, CurrentModel& model)
    : host_(host),
      state_(state),
      paths_(paths),
      settings_(settings),
      database_(database),
      catalogue_(catalogue),
      layout_(layout),
      model_(model) {}

void KeyboardModel::LoadDeviceCatalogue() {
  if (auto* title = host_.GetControl<Tessel::MControlFont>(ids::kProductTitle)) {
    windowTitle_ = title->GetTitle();
  }
  const int selected = settings_.ReadSelectedModel();
  auto* list = host_.GetControl<Tessel::CDeviceList>(ids::kDeviceList);
  list->ClearList();
  catalogue_ = ReadDeviceCatalogue(paths_.GetAppFolder());
  for (const KeyboardModelRecord& model : catalogue_.models) {
    list->AddDevice(model.name, model.modelId, model.disconnectedPicture, model.connectedPicture);
  }
  list->SetSelectDevice(selected);
  Load(selected);
}

void KeyboardModel::Load(int modelId) {
  const KeyboardModelRecord* model = catalogue_.FindModel(modelId);
  const std::string name = model != nullptr ? model->name : std::string();
  if (auto* title = host_.GetControl<Tessel::MControlFont>(ids::kProductTitle)) {
    title->SetTitle(name.empty() ? windowTitle_ : name);
  }
  state_.selectedModel.store(modelId);
  database_.SwitchKeyboardModel(paths_.GetDataFolder(), name, modelId);
  LoadLayout(model != nullptr ? model->layoutName : std::string());
  const std::shared_ptr<const LayoutTables> tables = layout_.Get();
  model_.SetModel(modelId, tables->LayoutRowCount, tables->LayoutColumnCount);
}

void KeyboardModel::LoadLayout(const std::string& layoutName) {
  const KeyboardLayout layout = ReadKeyboardLayout(paths_.GetAppFolder(), layoutName);
  // Whatever the file gives, nothing of the previous model stays: its keys would otherwise
  // seed the new model's database.
  layout_.Set(layout.Usable() ? BuildLayoutTables(layout) : LayoutTables{});
  auto* keyboard = host_.GetControl<Tessel::KeyboardCtrl>(ids::kKeyboardView);
  auto* effect = host_.GetControl<Tessel::AuroraEffect>(ids::kEffectView);
  keyboard->ClearItem();
  effect->ClearItem();
  if (!layout.Usable() || !layout.hasKeyboard) return;
  const Tessel::Rect rect = Tessel::Rect::FromSize(layout.x, layout.y, layout.width, layout.height);
  const std::string picture = "keyboard\\" + layout.image;
  keyboard->SetRect(rect);
  keyboard->SetKeyboardImage(picture);
  keyboard->SetWidthAndHeight(layout.width, layout.height);
  keyboard->SetKeyboardColor(static_cast<Tessel::Color>(layout.backgroundColor));
  effect->SetRect(rect);
  effect->SetKeyboardImage(picture);
  effect->SetWidthAndHeight(layout.width, layout.height);
  for (const LayoutKey& key : layout.keys) {
    const Tessel::Rect keyRect =
        Tessel::Rect::FromSize(key.rectLeft, key.rectTop, key.rectWidth, key.rectHeight);
    keyboard->AddKeyItem(key.name, key.desc, key.code, keyRect, "", kDefaultKeyColor);
    effect->AddKeyItem(key.name, key.code, keyRect, key.column, key.row);
  }
}
