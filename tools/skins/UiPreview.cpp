// Shows the main window frame, a gallery of every generic control and a message box with the
// Qt backend, and saves screenshots of them, to look at the look without the application:
//   tarvo_ui_preview [--out folder] [--lang en|zh-CN|zh-TW]
// Run it offscreen (QT_QPA_PLATFORM=offscreen) or on a display (xvfb-run -a for a virtual one).

#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "ui/pages/ControlIds.h"
#include "ui/pages/MainWindowLayout.h"
#include "ui/pages/WindowHost.h"
#include "ui/qt/QtBackend.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/Dialogs.h"
#include "ui/tessel/Manager.h"

namespace {

using Tessel::Rect;

struct Texts {
  std::vector<std::string> tabs;
  std::string title, heading, body, hint, apply, cancel, reset, link, switchOn, switchOff, check,
      radioA, radioB, placeholder, edit, progress, subTabs[3], segments[3], combo[3], boxCaption,
      boxText, ok, cancelBox;
};

Texts English() {
  return {{"Home", "Lighting", "Matrix", "Screen", "Keys", "Macros", "Effects", "Settings"},
          "Tarvo K9 Pro",
          "Lighting effect",
          "Choose how the keys light up. Changes reach the keyboard at once.",
          "Brightness and speed apply to the whole keyboard.",
          "Apply",
          "Cancel",
          "Restore defaults",
          "Open the user guide",
          "Game mode",
          "Windows key lock",
          "Sync with music",
          "Wired",
          "Wireless",
          "Profile name",
          "Profile 1",
          "Uploading 64%",
          {"Effects", "Custom", "Music"},
          {"Layer 1", "Layer 2", "Layer 3"},
          {"Wave", "Breathing", "Reactive ripple"},
          "Delete profile",
          "Delete the profile \"Profile 1\"? Its key assignments and lighting are lost.",
          "OK",
          "Cancel"};
}

Texts Chinese(bool traditional) {
  if (traditional) {
    return {{"首頁", "燈光", "矩陣燈", "螢幕", "按鍵", "巨集", "燈效", "設定"},
            "Tarvo K9 Pro",
            "燈光效果",
            "選擇按鍵的發光方式，變更會立即傳送到鍵盤。",
            "亮度和速度適用於整個鍵盤。",
            "套用",
            "取消",
            "恢復預設",
            "開啟使用說明",
            "遊戲模式",
            "鎖定 Windows 鍵",
            "跟隨音樂",
            "有線",
            "無線",
            "設定檔名稱",
            "設定檔 1",
            "上傳中 64%",
            {"燈效", "自訂", "音樂"},
            {"第 1 層", "第 2 層", "第 3 層"},
            {"波浪", "呼吸", "漣漪"},
            "刪除設定檔",
            "確定刪除設定檔「設定檔 1」嗎？其按鍵設定和燈光將會遺失。",
            "確定",
            "取消"};
  }
  return {{"首页", "灯光", "矩阵灯", "屏幕", "按键", "宏", "灯效", "设置"},
          "Tarvo K9 Pro",
          "灯光效果",
          "选择按键的发光方式，更改会立即发送到键盘。",
          "亮度和速度适用于整个键盘。",
          "应用",
          "取消",
          "恢复默认",
          "打开使用说明",
          "游戏模式",
          "锁定 Windows 键",
          "跟随音乐",
          "有线",
          "无线",
          "配置名称",
          "配置 1",
          "上传中 64%",
          {"灯效", "自定义", "音乐"},
          {"第 1 层", "第 2 层", "第 3 层"},
          {"波浪", "呼吸", "涟漪"},
          "删除配置",
          "确定删除配置“配置 1”吗？其按键设置和灯光将会丢失。",
          "确定",
          "取消"};
}

// The gallery sits on the settings page: two cards with one of every generic control.
class PreviewWindow : public Tessel::MDialog {
 public:
  explicit PreviewWindow(const Texts& texts) : MDialog("Preview"), texts_(texts) {}

  void ShowPage(int tabPosition) {
    auto* tabs = GetControl<Tessel::MTabCtrl>(ids::kMainTabs);
    tabs->SetCurSel(tabPosition);
    const int page = static_cast<int>(tabs->GetItemData(tabPosition));
    FindControl(ids::kMainContent)->SetVisible(page != 0);
    FindControl(ids::kDeviceOverview)->SetVisible(page == 0);
    for (int shown : kMainTabPages) {
      if (shown != 0) FindControl(ids::kPageArea + shown)->SetVisible(shown == page);
    }
    FindControl(ids::kBackground)->SetVisible(page != 0);
    FindControl(ids::kHomeBackground)->SetVisible(page == 0);
  }

 protected:
  void CreateControls() override {
    WindowHost host(*this);
    CreateMainWindowControls(host);
    auto* tabs = GetControl<Tessel::MTabCtrl>(ids::kMainTabs);
    for (int i = 0; i < tabs->GetCount(); ++i)
      tabs->SetItemText(i, texts_.tabs[static_cast<std::size_t>(i)]);
    GetControl<Tessel::MControlFont>(ids::kProductTitle)->SetTitle(texts_.title);
    BuildGallery(ids::kPageArea + 7);
    BuildHome();
  }

 private:
  template <class T>
  T* Put(int parent, int x, int y, int width, int height) {
    auto* control = Add<T>(next_++, parent);
    control->SetRect(Rect::FromSize(x, y, width, height));
    return control;
  }

  void BuildHome() {
    auto* card = Put<Tessel::MArea>(ids::kDeviceOverview, 40, 40, 420, 200);
    card->SetStyle("card");
    Put<Tessel::MControlFont>(card->GetId(), 24, 20, 360, 30)->SetStyle("heading");
    GetControl<Tessel::MControlFont>(next_ - 1)->SetTitle(texts_.title);
    auto* body = Put<Tessel::MControlFont>(card->GetId(), 24, 60, 372, 60);
    body->SetTitle(texts_.body);
    body->SetWordWrap(true);
    body->SetStyle("secondary");
    Put<Tessel::MButton>(card->GetId(), 24, 136, 140, 40)->SetStyle("primary");
    GetControl<Tessel::MButton>(next_ - 1)->SetTitle(texts_.apply);
  }

  void BuildGallery(int page) {
    auto* left = Put<Tessel::MArea>(page, 40, 24, 640, 610);
    left->SetStyle("card");
    const int l = left->GetId();
    auto* heading = Put<Tessel::MControlFont>(l, 28, 22, 580, 32);
    heading->SetTitle(texts_.heading);
    heading->SetStyle("heading");
    auto* body = Put<Tessel::MControlFont>(l, 28, 62, 580, 44);
    body->SetTitle(texts_.body);
    body->SetStyle("secondary");
    body->SetWordWrap(true);
    auto* sub = Put<Tessel::TabCtrlEx>(l, 28, 112, 420, 40);
    for (int i = 0; i < 3; ++i) sub->AddItem(texts_.subTabs[i], i);
    sub->SetCurSel(0);
    auto* combo = Put<Tessel::MComboBox>(l, 28, 172, 280, 40);
    for (int i = 0; i < 3; ++i) combo->AddItem(texts_.combo[i], i);
    combo->SetCurSel(2);
    auto* segments = Put<Tessel::MTabCtrl>(l, 328, 172, 284, 40);
    for (int i = 0; i < 3; ++i) segments->AddItem(texts_.segments[i], i);
    segments->SetCurSel(1);
    auto* slider = Put<Tessel::MSlider>(l, 28, 236, 440, 28);
    slider->SetRange(0, 100);
    slider->SetProgress(70);
    auto* value = Put<Tessel::MControlFont>(l, 484, 236, 60, 28);
    value->SetTitle("70%");
    value->SetStyle("value");
    auto* hint = Put<Tessel::MControlFont>(l, 28, 270, 580, 24);
    hint->SetTitle(texts_.hint);
    hint->SetStyle("hint");
    int x = 28;
    for (Tessel::Color color :
         {Tessel::Rgb(255, 59, 92), Tessel::Rgb(255, 170, 0), Tessel::Rgb(60, 220, 120),
          Tessel::Rgb(56, 217, 245), Tessel::Rgb(123, 97, 255), Tessel::Rgb(255, 255, 255)}) {
      auto* swatch = Put<Tessel::CColorButton>(l, x, 312, 40, 40);
      swatch->SetColor(color);
      swatch->SetSelected(x == 28 + 4 * 52);
      x += 52;
    }
    auto* progress = Put<Tessel::MProgress>(l, 28, 380, 584, 24);
    progress->SetProgress(64);
    progress->SetTitle(texts_.progress);
    auto* edit = Put<Tessel::MEdit>(l, 28, 428, 280, 40);
    edit->SetPlaceholder(texts_.placeholder);
    auto* filled = Put<Tessel::MEdit>(l, 328, 428, 284, 40);
    filled->SetEditText(texts_.edit);
    auto* apply = Put<Tessel::MButton>(l, 28, 536, 140, 44);
    apply->SetTitle(texts_.apply);
    apply->SetStyle("primary");
    Put<Tessel::MButton>(l, 184, 536, 140, 44)->SetTitle(texts_.cancel);
    auto* reset = Put<Tessel::MButton>(l, 340, 536, 150, 44);
    reset->SetTitle(texts_.reset);
    reset->SetStyle("danger");
    auto* disabled = Put<Tessel::MButton>(l, 506, 536, 106, 44);
    disabled->SetTitle(texts_.apply);
    disabled->SetEnabled(false);
    focused_ = Put<Tessel::MButton>(l, 28, 484, 280, 36)->GetId();
    GetControl<Tessel::MButton>(focused_)->SetTitle(texts_.link);
    GetControl<Tessel::MButton>(focused_)->SetStyle("link");

    auto* right = Put<Tessel::MArea>(page, 710, 24, 650, 610);
    right->SetStyle("card");
    const int r = right->GetId();
    int y = 28;
    for (const auto& [text, on] : {std::pair{texts_.switchOn, true}, {texts_.switchOff, false}}) {
      auto* toggle = Put<Tessel::CSwitchButton>(r, 28, y, 300, 32);
      toggle->SetTitle(text);
      toggle->SetCheck(on);
      y += 48;
    }
    auto* check = Put<Tessel::CCheckButton>(r, 28, y, 300, 28);
    check->SetTitle(texts_.check);
    check->SetCheck(true);
    auto* unchecked = Put<Tessel::CCheckButton>(r, 340, y, 280, 28);
    unchecked->SetTitle(texts_.check);
    y += 48;
    for (const auto& [text, on] : {std::pair{texts_.radioA, true}, {texts_.radioB, false}}) {
      auto* radio = Put<Tessel::CRadioButton>(r, on ? 28 : 200, y, 160, 28);
      radio->SetTitle(text);
      radio->SetGroup("mode");
      radio->SetCheck(on);
    }
    y += 56;
    auto* panel = Put<Tessel::MArea>(r, 28, y, 594, 200);
    panel->SetStyle("panel");
    auto* panelTitle = Put<Tessel::MControlFont>(panel->GetId(), 20, 16, 400, 26);
    panelTitle->SetTitle(texts_.boxCaption);
    panelTitle->SetStyle("dialog-caption");
    auto* panelText = Put<Tessel::MControlFont>(panel->GetId(), 20, 52, 554, 80);
    panelText->SetTitle(texts_.boxText);
    panelText->SetWordWrap(true);
    auto* error = Put<Tessel::MControlFont>(panel->GetId(), 20, 150, 400, 24);
    error->SetTitle("0x0F");
    error->SetStyle("error");
    auto* accent = Put<Tessel::MControlFont>(r, 28, y + 230, 400, 26);
    accent->SetTitle(texts_.title);
    accent->SetStyle("accent");
  }

 public:
  int FocusedButton() const { return focused_; }

 private:
  const Texts& texts_;
  int next_ = 5000;
  int focused_ = 0;
};

bool Save(TesselQt::QtBackend& backend, Tessel::MWindow& window,
          const std::filesystem::path& path) {
  const bool saved = backend.SaveScreenshot(window, path);
  std::printf("%s %s\n", saved ? "saved" : "FAILED", path.c_str());
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path out = "ui-preview";
  std::string language = "en";
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--out") == 0) out = argv[i + 1];
    if (std::strcmp(argv[i], "--lang") == 0) language = argv[i + 1];
  }
  std::filesystem::create_directories(out);
  TesselQt::QtBackend backend(argc, argv);
  backend.SetLanguage(language == "zh-TW" ? 1028 : language == "zh-CN" ? 2052 : 1033);
  Tessel::Manager::SetResourceFolder(std::filesystem::path(TARVO_SOURCE_DIR) / "data");
  const Texts texts = language == "en" ? English() : Chinese(language == "zh-TW");

  PreviewWindow window(texts);
  window.Create(nullptr, texts.title, Rect::FromSize(0, 0, kMainWindowWidth, kMainWindowHeight));
  window.CenterWindow();
  bool ok = true;
  QTimer::singleShot(300, [&] {
    window.ShowPage(0);
    ok = Save(backend, window, out / ("home-" + language + ".png")) && ok;
    window.ShowPage(7);
    backend.FlushChanges();
    backend.WidgetOf(*window.FindControl(window.FocusedButton()))->setFocus(Qt::TabFocusReason);
    ok = Save(backend, window, out / ("controls-" + language + ".png")) && ok;
    QTimer::singleShot(200, [&] {
      Tessel::MWindow* box = Tessel::Manager::FindWindow(Tessel::CUIMessageBox::kWindowName);
      if (box != nullptr)
        ok = Save(backend, *box, out / ("message-box-" + language + ".png")) && ok;
      if (box != nullptr) box->PostMessage(Tessel::WM_CLOSE, Tessel::kResultCancel, 0);
    });
    Tessel::CUIMessageBox::Show(&window, texts.boxCaption, texts.boxText, true);
    window.EndModal(Tessel::kResultOK);
  });
  window.ShowModal(Tessel::kShow);
  window.DestroyWindow();
  return ok ? 0 : 1;
}
