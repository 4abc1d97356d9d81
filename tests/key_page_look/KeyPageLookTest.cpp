// The key page, the knob dialog and the key test as the Qt backend draws them, in English and
// Simplified Chinese, against the virtual keyboard: every control lies inside its card and the
// window, every one-line text fits its control, and the pictures are real pictures. With
// TARVO_PICTURES set, the pictures are kept in that folder for looking at.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>

#include "app/KeyboardDlg.h"
#include "keys/KeyAssignmentLayout.h"
#include "keys/KnobConfigDlg.h"
#include "platform/input/FakeInputSource.h"
#include "sim/VirtualKeyboard.h"
#include "support/TempFolder.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/MainWindowLayout.h"
#include "ui/qt/QtBackend.h"
#include "ui/qt/Theme.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/KeyControls.h"
#include "ui/tessel/KeyboardCtrl.h"
#include "ui/tessel/Manager.h"
// After the toolkit's headers: the kernel's KEY_INFO would clash with the toolkit's.
#include <linux/input-event-codes.h>

namespace {

int g_argc = 1;
char g_name[] = "tests_key_page_look";
char* g_argv[] = {g_name, nullptr};

TesselQt::QtBackend& Qt() {
  static TesselQt::QtBackend backend(g_argc, g_argv);
  return backend;
}

std::filesystem::path Data() {
  return std::filesystem::path(TARVO_SOURCE_DIR) / "data";
}

// Room a control needs beside its text: a button's padding, a check or radio mark.
int Padding(const Tessel::MControl& control) {
  if (dynamic_cast<const Tessel::MCheckable*>(&control) != nullptr) return 34;
  if (dynamic_cast<const Tessel::MButton*>(&control) != nullptr) return 28;
  return 0;
}

class KeyPageLookTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    const int language = GetParam();
    Qt().SetLanguage(language);
    Tessel::Manager::SetBackend(&Qt());
    Tessel::Manager::SetResourceFolder(Data());
    paths_ = std::make_unique<AppPaths>(Data(), folder_ / "data", folder_ / "config",
                                        folder_ / "run", "Tarvo");
    settings_ = std::make_unique<SettingsStore>(paths_->GetConfigFolder() / "settings.ini");
    texts_ = std::make_unique<core::TextTable>(Data(), language);
    keyboard_ = sim::AddCatalogueKeyboard(bus_, Data(), 101).value_or(0);
    settings_->WriteDeviceType(101);
    bus_.PlugCable(keyboard_);
    KeyboardDlg::Options options;
    options.startWorker = false;
    options.inputSource = [this](auto) {
      auto source = std::make_unique<platform::input::FakeInputSource>();
      input_ = source.get();
      return source;
    };
    dialog_ = std::make_unique<KeyboardDlg>(*paths_, *settings_, *texts_, bus_, options);
    ASSERT_TRUE(dialog_->Create(nullptr, "Tarvo",
                                Tessel::Rect::FromSize(0, 0, kMainWindowWidth, kMainWindowHeight)));
    dialog_->Link().SetSleeper([](std::chrono::milliseconds) {});
    for (int i = 0; i < 200 && !(dialog_->State().started.load() && dialog_->Tasks().IsEmpty());
         ++i) {
      dialog_->RunCycle();
      QApplication::processEvents();
    }
    ASSERT_TRUE(dialog_->SwitchToPage(kPageKeys));
    QApplication::processEvents();
  }

  void TearDown() override {
    if (dialog_) dialog_->CloseAndDestroy();
    dialog_.reset();
    QApplication::processEvents();
  }

  std::filesystem::path PictureFile(const std::string& name) const {
    const char* kept = std::getenv("TARVO_PICTURES");
    const std::filesystem::path folder =
        kept != nullptr ? std::filesystem::path(kept) : folder_.Path();
    std::filesystem::create_directories(folder);
    return folder / (name + "-" + std::to_string(GetParam()) + ".png");
  }

  // A picture with many colours: text, cards and the keyboard, not a blank grab.
  static void ExpectRealPicture(const QImage& image) {
    ASSERT_FALSE(image.isNull());
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3) {
      for (int x = 0; x < image.width(); x += 3) colours.insert(image.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 50u);
  }

  void SaveWindow(Tessel::MWindow& window, const std::string& name) {
    const std::filesystem::path file = PictureFile(name);
    ASSERT_TRUE(Qt().SaveScreenshot(window, file));
    ExpectRealPicture(QImage(QString::fromStdString(file.string())));
  }

  // Every shown control under `parent` lies inside it; its one-line text fits.
  void ExpectFits(const Tessel::MWindow& window, const Tessel::MControl& parent) {
    const Tessel::Rect outer = parent.GetRect();
    for (const Tessel::MControl* child : parent.GetChildren()) {
      if (!child->IsVisible()) continue;
      const Tessel::Rect r = child->GetRect();
      EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= outer.Width() &&
                  r.bottom <= outer.Height())
          << window.GetName() << ": control " << child->GetId() << " leaves " << parent.GetId();
      ExpectTextFits(*child);
      ExpectFits(window, *child);
    }
  }

  void ExpectTextFits(const Tessel::MControl& control) {
    const auto* titled = dynamic_cast<const Tessel::MControlFont*>(&control);
    if (titled == nullptr || titled->GetWordWrap() || titled->GetTitle().empty()) return;
    if (dynamic_cast<const Tessel::MItemList*>(&control) != nullptr) return;
    const QFont font = TesselQt::theme::FontFor(QString::fromStdString(control.GetStyle()),
                                                titled->GetFontSize(), titled->IsBold());
    const int needed =
        QFontMetrics(font).horizontalAdvance(QString::fromStdString(titled->GetTitle())) +
        Padding(control);
    EXPECT_LE(needed, control.GetRect().Width())
        << "\"" << titled->GetTitle() << "\" (control " << control.GetId() << ")";
  }

  // The tabs show every title whole.
  void ExpectTabsFit(int id) {
    auto* tabs = dialog_->GetControl<Tessel::MTabCtrl>(id);
    const QFontMetrics metrics(TesselQt::theme::FontFor(QString::fromStdString(tabs->GetStyle())));
    const bool underlined = dynamic_cast<Tessel::TabCtrlEx*>(tabs) != nullptr;
    int total = 0;
    for (const auto& item : tabs->GetItems()) {
      total += std::max(64, metrics.horizontalAdvance(QString::fromStdString(item.text)) +
                                (underlined ? 28 : 32)) +
               (underlined ? 8 : 0);
    }
    EXPECT_LE(total - (underlined ? 8 : 0), tabs->GetRect().Width()) << "tabs " << id;
  }

  void ExpectKeyPageFits() {
    ExpectFits(*dialog_, *dialog_->FindControl(ids::kPageArea + kPageKeys));
    ExpectFits(*dialog_, *dialog_->FindControl(ids::kKeyTestArea));
    ExpectTabsFit(key_ids::kLayerTabs);
    ExpectTabsFit(key_ids::kFunctionTabs);
  }

  Tessel::MTabCtrl& PickerTabs() {
    return *dialog_->GetControl<Tessel::MTabCtrl>(key_ids::kFunctionTabs);
  }

  TempFolder folder_;
  std::unique_ptr<AppPaths> paths_;
  std::unique_ptr<SettingsStore> settings_;
  std::unique_ptr<core::TextTable> texts_;
  sim::VirtualHidBus bus_;
  sim::KeyboardId keyboard_ = 0;
  std::unique_ptr<KeyboardDlg> dialog_;
  platform::input::FakeInputSource* input_ = nullptr;
};

TEST_P(KeyPageLookTest, TheCombinationPanelWithACapturedKey) {
  auto* view = dialog_->GetControl<Tessel::KeyboardCtrl>(ids::kKeyboardView);
  view->UserPressKey(0x09, false);
  PickerTabs().UserSelect(PickerTabs().FindData(key_ids::kTabCombination));
  auto* field = dialog_->GetControl<Tessel::MEdit>(key_ids::kCaptureField);
  field->UserFocus(true);
  ASSERT_NE(input_, nullptr);
  input_->EmitKey(KEY_A, platform::input::InputAction::kPress);
  input_->EmitKey(KEY_A, platform::input::InputAction::kRelease);
  for (int bit : {0, 1}) {
    dialog_->GetControl<Tessel::CCheckButton>(key_ids::kFirstModifier + bit)->SetCheck(true);
  }
  QApplication::processEvents();
  ExpectKeyPageFits();
  SaveWindow(*dialog_, "key-combination");
  field->UserFocus(false);
}

TEST_P(KeyPageLookTest, TheMediaTabAndTheMacroOptions) {
  PickerTabs().UserSelect(PickerTabs().FindData(key_ids::kTabMedia));
  ExpectKeyPageFits();
  SaveWindow(*dialog_, "key-media");
  for (const char* name : {"New Macro 1", "Boss key", "Build and run"}) {
    ASSERT_GT(dialog_->Database().AddMacro(name), 0);
  }
  PickerTabs().UserSelect(PickerTabs().FindData(key_ids::kTabMacros));
  ExpectKeyPageFits();
  SaveWindow(*dialog_, "key-macros");
}

TEST_P(KeyPageLookTest, TheKeyTestWithKeysAndAButtonHeld) {
  ASSERT_NE(input_, nullptr);
  using platform::input::InputAction;
  input_->EmitKey(KEY_LEFTCTRL, InputAction::kPress);
  input_->EmitKey(KEY_A, InputAction::kPress);
  input_->EmitKey(KEY_VOLUMEUP, InputAction::kPress);
  input_->EmitButton(BTN_LEFT, InputAction::kPress);
  EXPECT_EQ(dialog_->GetControl<Tessel::CKeyTestCtrl>(key_ids::kKeyTestList)->GetKeys().size(), 4u);
  QApplication::processEvents();
  SaveWindow(*dialog_, "key-test");
}

TEST_P(KeyPageLookTest, TheKnobDialogOverThePage) {
  bool shown = false;
  // Runs inside the dialog's modal loop.
  Qt().Post([&] {
    auto* knob = dynamic_cast<keys::KnobConfigDlg*>(
        Tessel::Manager::FindWindow(keys::KnobConfigDlg::kWindowName));
    ASSERT_NE(knob, nullptr);
    shown = true;
    for (const Tessel::MControl* control : knob->GetTopControls()) {
      const Tessel::Rect r = control->GetRect();
      EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= keys::KnobConfigDlg::kWidth &&
                  r.bottom <= keys::KnobConfigDlg::kHeight)
          << "control " << control->GetId();
      ExpectTextFits(*control);
    }
    const std::filesystem::path page = PictureFile("knob-page");
    const std::filesystem::path alone = PictureFile("knob-dialog");
    Qt().SaveScreenshot(*dialog_, page);
    Qt().SaveScreenshot(*knob, alone);
    // The dialog as the user sees it: centred over the dimmed window.
    QImage picture(QString::fromStdString(page.string()));
    QPainter painter(&picture);
    painter.fillRect(picture.rect(), QColor(0, 0, 0, 150));
    const QImage dialogPicture(QString::fromStdString(alone.string()));
    painter.drawImage((picture.width() - dialogPicture.width()) / 2,
                      (picture.height() - dialogPicture.height()) / 2, dialogPicture);
    painter.end();
    picture.save(QString::fromStdString(PictureFile("knob").string()));
    ExpectRealPicture(dialogPicture);
    knob->DoCancel();
  });
  dialog_->GetControl<Tessel::KeyboardCtrl>(ids::kKeyboardView)
      ->UserPressKey(Tessel::kKnobKeyCode, false);
  EXPECT_TRUE(shown);
}

INSTANTIATE_TEST_SUITE_P(Languages, KeyPageLookTest, ::testing::Values(1033, 2052));

}  // namespace
