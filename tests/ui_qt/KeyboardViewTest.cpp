// The keyboard view's drawing with the shipped layouts: what the mouse and the keyboard report,
// and how each layout looks in the view.

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QTest>
#include <QXmlStreamReader>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include "QtTestSupport.h"
#include "support/TempFolder.h"
#include "ui/qt/Painting.h"
#include "ui/tessel/KeyboardCtrl.h"
#include "ui/tessel/Manager.h"

namespace {

using qt_test::Backend;
using qt_test::Event;
using Tessel::KeyboardCtrl;

constexpr int kView = 40;
constexpr int kMargin = 24;
const std::filesystem::path kData = std::filesystem::path(TARVO_SOURCE_DIR) / "data";
const char* const kLayouts[] = {"tarvo_k9", "tarvo_m7", "tarvo_k75", "tarvo_pad"};

// A layout file's keyboard and keys, read here with Qt's own XML reader.
struct ShippedLayout {
  int width = 0;
  int height = 0;
  Tessel::Color background = 0;
  std::string image;
  std::vector<Tessel::KEY_INFO> keys;
};

ShippedLayout ReadShippedLayout(const std::string& name) {
  ShippedLayout layout;
  QFile file(QString::fromStdString((kData / "layouts" / (name + ".xml")).string()));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
  QXmlStreamReader xml(&file);
  const auto number = [&](const char* attribute, int base = 10) {
    return xml.attributes().value(QLatin1String(attribute)).toInt(nullptr, base);
  };
  const auto text = [&](const char* attribute) {
    return xml.attributes().value(QLatin1String(attribute)).toString().toStdString();
  };
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.name() == QLatin1String("Keyboard")) {
      layout.width = number("width");
      layout.height = number("height");
      layout.background = static_cast<Tessel::Color>(number("bk_color", 16));
      layout.image = text("image");
    } else if (xml.name() == QLatin1String("key")) {
      Tessel::KEY_INFO key;
      key.code = number("code", 16);
      key.name = text("name");
      key.desc = text("desc");
      key.rect = Tessel::Rect::FromSize(number("rect_left"), number("rect_top"),
                                        number("rect_width"), number("rect_height"));
      layout.keys.push_back(key);
    }
  }
  EXPECT_FALSE(xml.hasError()) << name << ": " << xml.errorString().toStdString();
  return layout;
}

// The view set up as the controller sets it up for a model.
void LoadInto(KeyboardCtrl& view, const ShippedLayout& layout) {
  view.ClearItem();
  view.SetRect(Tessel::Rect::FromSize(kMargin, kMargin, layout.width, layout.height));
  view.SetKeyboardImage("keyboard\\" + layout.image);
  view.SetWidthAndHeight(layout.width, layout.height);
  view.SetKeyboardColor(layout.background);
  for (const Tessel::KEY_INFO& key : layout.keys) {
    view.AddKeyItem(key.name, key.desc, key.code, key.rect, "", 0x604E3A);
  }
}

QPoint CentreOf(const Tessel::KEY_INFO& key) {
  return QPoint((key.rect.left + key.rect.right) / 2, (key.rect.top + key.rect.bottom) / 2);
}

void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons held) {
  QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, held,
                    Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

std::size_t ColourCount(const QImage& image) {
  std::set<QRgb> colours;
  for (int y = 0; y < image.height(); y += 2) {
    for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
  }
  return colours.size();
}

class KeyboardViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Backend();
    Tessel::Manager::SetResourceFolder(kData);
  }
  void TearDown() override {
    if (dialog) dialog->DestroyWindow();
    dialog.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // A window with the view of a shipped layout, shown and active.
  void Show(const std::string& layoutName, int mode) {
    TearDown();
    layout = ReadShippedLayout(layoutName);
    dialog = std::make_unique<qt_test::RecordingDialog>(
        [](Tessel::MWindow& w) { w.Add<KeyboardCtrl>(kView); });
    ASSERT_TRUE(dialog->Create(
        nullptr, "Keyboard",
        Tessel::Rect::FromSize(40, 40, layout.width + 2 * kMargin, layout.height + 2 * kMargin)));
    view = dialog->GetControl<KeyboardCtrl>(kView);
    LoadInto(*view, layout);
    view->SetKeyboardCtrlMode(mode);
    dialog->ShowWindow(Tessel::kShow);
    QWidget* window = Backend().WidgetOf(*dialog);
    ASSERT_NE(window, nullptr);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    Backend().FlushChanges();
  }

  QWidget* Widget() { return qt_test::WidgetOf(*dialog, kView); }
  const Tessel::KEY_INFO& KeyNamed(const std::string& desc) {
    for (const Tessel::KEY_INFO& key : layout.keys) {
      if (key.desc == desc) return key;
    }
    ADD_FAILURE() << "no key " << desc;
    return layout.keys.front();
  }
  QImage Grab() {
    Backend().FlushChanges();
    return Widget()->grab().toImage();
  }

  ShippedLayout layout;
  std::unique_ptr<qt_test::RecordingDialog> dialog;
  KeyboardCtrl* view = nullptr;
};

TEST_F(KeyboardViewTest, AClickOnAKeyReportsItsCode) {
  Show("tarvo_k9", Tessel::kKeyboardModeSelect);
  QTest::mouseClick(Widget(), Qt::LeftButton, Qt::NoModifier, CentreOf(KeyNamed("Escape")));
  QTest::mouseClick(Widget(), Qt::LeftButton, Qt::ControlModifier,
                    CentreOf(KeyNamed("Rotary knob")));
  QTest::mouseClick(Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));  // beside the keys
  const std::vector<Event> expected = {{kView, Tessel::kEventClick, 0x29, 0},
                                       {kView, Tessel::kEventClick, 0xFF, 0},
                                       {kView, Tessel::kEventClick, 0, 0}};
  EXPECT_EQ(dialog->events, expected);

  // Only after the Ctrl+click were two keys selected; the plain view reports nothing.
  dialog->events.clear();
  view->SetKeyboardCtrlMode(Tessel::kKeyboardModePlain);
  Backend().FlushChanges();
  QTest::mouseClick(Widget(), Qt::LeftButton, Qt::NoModifier, CentreOf(KeyNamed("Escape")));
  EXPECT_TRUE(dialog->events.empty());
  EXPECT_EQ(Widget()->focusPolicy(), Qt::NoFocus);
}

TEST_F(KeyboardViewTest, ADragAcrossKeysReportsEachKeyItEnters) {
  Show("tarvo_k9", Tessel::kKeyboardModeColor);
  QWidget* widget = Widget();
  const QPoint q = CentreOf(KeyNamed("Q"));
  SendMouse(widget, QEvent::MouseButtonPress, q, Qt::LeftButton, Qt::LeftButton);
  // One fast move from Q to R crosses W and E on its way.
  SendMouse(widget, QEvent::MouseMove, CentreOf(KeyNamed("R")), Qt::NoButton, Qt::LeftButton);
  SendMouse(widget, QEvent::MouseMove, CentreOf(KeyNamed("E")), Qt::NoButton, Qt::LeftButton);
  SendMouse(widget, QEvent::MouseButtonRelease, CentreOf(KeyNamed("E")), Qt::LeftButton,
            Qt::NoButton);
  // Moving without the button pressed selects nothing more.
  SendMouse(widget, QEvent::MouseMove, CentreOf(KeyNamed("T")), Qt::NoButton, Qt::NoButton);
  const std::vector<Event> expected = {{kView, Tessel::kEventClick, 0x14, 0},
                                       {kView, Tessel::kEventDragOver, 0x1A, 0},
                                       {kView, Tessel::kEventDragOver, 0x08, 0},
                                       {kView, Tessel::kEventDragOver, 0x15, 0}};
  EXPECT_EQ(dialog->events, expected);
  EXPECT_EQ(view->GetSelectedKeyCodes(), (std::vector<int>{0x14, 0x1A, 0x08, 0x15}));
}

TEST_F(KeyboardViewTest, KeyboardUsersTabInSelectAllAndPressKeys) {
  Show("tarvo_k75", Tessel::kKeyboardModeSelect);
  QWidget* widget = Widget();
  EXPECT_EQ(widget->focusPolicy(), Qt::StrongFocus);
  widget->clearFocus();  // the window's activation may have given it the focus already
  widget->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(widget->hasFocus());
  QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(view->GetSelectedKeyCodes().size(), layout.keys.size());
  QTest::keyClick(widget, Qt::Key_Escape);
  EXPECT_TRUE(view->GetSelectedKeyCodes().empty());
  // The focus starts on the first key (Esc); Right moves to F1, Down to the digit row below.
  QTest::keyClick(widget, Qt::Key_Right);
  QTest::keyClick(widget, Qt::Key_Space);
  QTest::keyClick(widget, Qt::Key_Down);
  QTest::keyClick(widget, Qt::Key_Space, Qt::ControlModifier);
  const std::vector<Event> expected = {{kView, Tessel::kEventSelChanged, 83, 0},
                                       {kView, Tessel::kEventSelChanged, 0, 0},
                                       {kView, Tessel::kEventClick, 0x3A, 0},
                                       {kView, Tessel::kEventClick, 0x1E, 0}};
  EXPECT_EQ(dialog->events, expected);
  EXPECT_EQ(view->GetSelectedKeyCodes(), (std::vector<int>{0x3A, 0x1E}));
}

// Pixels of the focus ring's colour along the view's left edge.
int FocusRingPixels(const QImage& image) {
  int count = 0;
  for (int y = 20; y < image.height() - 20; ++y) {
    for (int x = 0; x < 4; ++x) {
      const QColor pixel = image.pixelColor(x, y);
      if (pixel.blue() > 200 && pixel.green() > 170 && pixel.red() < 120) ++count;
    }
  }
  return count;
}

TEST_F(KeyboardViewTest, TheFocusRingShowsOnlyForKeyboardFocus) {
  Show("tarvo_pad", Tessel::kKeyboardModeSelect);
  Widget()->setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(FocusRingPixels(Grab()), 0);
  Widget()->clearFocus();
  Widget()->setFocus(Qt::TabFocusReason);
  EXPECT_GT(FocusRingPixels(Grab()), 100);
}

// The colour at a point of a key's cap away from its label.
QColor CapColour(const QImage& image, const Tessel::KEY_INFO& key) {
  return image.pixelColor(key.rect.left + 8, key.rect.bottom - 8);
}

TEST_F(KeyboardViewTest, LiveColoursFromAnotherThreadAreDrawnInTheColourMode) {
  Show("tarvo_m7", Tessel::kKeyboardModePlain);
  const Tessel::KEY_INFO& esc = KeyNamed("Escape");
  std::thread worker([this] { view->ResetAllItemsColor(Tessel::Rgb(0, 255, 0)); });
  worker.join();
  const QColor plain = CapColour(Grab(), esc);
  EXPECT_LT(plain.green(), 120) << "the plain view shows no colours";
  view->SetKeyboardCtrlMode(Tessel::kKeyboardModeColor);
  const QColor lit = CapColour(Grab(), esc);
  EXPECT_GT(lit.green(), 200);
  EXPECT_LT(lit.red(), 150);
  std::thread([this] { view->SetKeyColor(0x29, Tessel::Rgb(255, 0, 0)); }).join();
  const QColor red = CapColour(Grab(), esc);
  EXPECT_GT(red.red(), 200);
  EXPECT_LT(red.green(), 150);
}

// Collects what a widget is asked to paint.
class PaintRecorder : public QObject {
 public:
  explicit PaintRecorder(QWidget& widget) { widget.installEventFilter(this); }
  QRegion painted;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
    return QObject::eventFilter(watched, event);
  }
};

TEST_F(KeyboardViewTest, AChangedKeyColourRedrawsThatKeyAlone) {
  Show("tarvo_k9", Tessel::kKeyboardModeColor);
  QWidget* widget = Widget();
  QCoreApplication::processEvents();  // the first drawing of the whole view
  PaintRecorder recorder(*widget);
  view->SetKeyColor(0x29, Tessel::Rgb(255, 0, 0));  // Escape
  Backend().FlushChanges();
  ASSERT_TRUE(qt_test::WaitFor([&] { return !recorder.painted.isEmpty(); }));
  EXPECT_TRUE(recorder.painted.contains(CentreOf(KeyNamed("Escape"))));
  EXPECT_FALSE(recorder.painted.contains(CentreOf(KeyNamed("Space"))));
  const QRect painted = recorder.painted.boundingRect();
  EXPECT_LT(painted.width() * painted.height(), widget->width() * widget->height() / 50);
  // A change of more than the keys' colours (the mode) draws the whole view.
  recorder.painted = QRegion();
  view->SetKeyboardCtrlMode(Tessel::kKeyboardModePlain);
  Backend().FlushChanges();
  ASSERT_TRUE(qt_test::WaitFor([&] { return !recorder.painted.isEmpty(); }));
  EXPECT_EQ(recorder.painted.boundingRect(), widget->rect());
}

// Rainbow colours across the keyboard, as a running light effect would show them.
std::vector<Tessel::KeyColor> Rainbow(const ShippedLayout& layout) {
  std::vector<Tessel::KeyColor> colours;
  for (const Tessel::KEY_INFO& key : layout.keys) {
    const int hue = (key.rect.left * 300 / std::max(1, layout.width) + key.rect.top / 4) % 360;
    colours.push_back({key.code, TesselQt::FromQColor(QColor::fromHsv(hue, 230, 255))});
  }
  return colours;
}

// What the key page shows: functions on some keys, a few keys selected, one under the pointer.
void DecorateForKeyAssignment(KeyboardCtrl& view) {
  const std::pair<int, const char*> labels[] = {
      {0x3A, "Vol -"},   {0x3B, "Vol +"},      {0x48, "Play/Pause"},     {0x45, "Calculator"},
      {0x39, "Macro 1"}, {0x0A, "Mouse Left"}, {0xE2, "\xE5\xAE\x8F 2"},
  };
  for (const auto& [code, label] : labels)
    view.SetKeyItemInfo(code, label, code == 0x39 ? 3 : 6, label);
  view.SetKeyItemInfo(0x06, "LCtrl + C", 2, "");
  view.SetKeyItemInfo(0x62, "Ctrl+Shift+Esc", 2, "");
  for (int code : {0x04, 0x16, 0x07}) view.SetKeyCheck(code, true);
  view.UserPressKey(0x1A, true);
  view.UserEndDrag();
}

// What the per-key light page shows: every key in its colour, a few keys selected.
void DecorateForPainting(KeyboardCtrl& view, const ShippedLayout& layout) {
  view.SetKeyColors(Rainbow(layout));
  view.SetKeyColor(0x2C,
                   Tessel::Rgb(0xF1, 0xF1, 0xF1));  // a white space bar keeps its label readable
  view.SetKeyColor(0x62, Tessel::Rgb(0xF1, 0xF1, 0xF1));
  for (int code : {0x3A, 0x3B, 0x5F}) view.SetKeyCheck(code, true);
  view.SetKeyColor(0x29, 0);  // a key that is off
}

TEST_F(KeyboardViewTest, EveryShippedLayoutIsDrawnWithItsPictureLabelsAndColours) {
  TempFolder folder;
  // Set to keep copies of the pictures for a person to look at.
  const char* copies = std::getenv("TARVO_SCREENSHOT_DIR");
  for (const char* name : kLayouts) {
    for (int mode : {Tessel::kKeyboardModeSelect, Tessel::kKeyboardModeColor}) {
      SCOPED_TRACE(std::string(name) + " in mode " + std::to_string(mode));
      Show(name, mode);
      if (mode == Tessel::kKeyboardModeSelect) {
        DecorateForKeyAssignment(*view);
      } else {
        DecorateForPainting(*view, layout);
      }
      Backend().FlushChanges();
      SendMouse(Widget(), QEvent::MouseMove, CentreOf(layout.keys[layout.keys.size() / 2]),
                Qt::NoButton, Qt::NoButton);
      const std::string file = std::string(name) + "-" + std::to_string(mode) + ".png";
      ASSERT_TRUE(Backend().SaveScreenshot(*dialog, folder / file));
      const QImage image(QString::fromStdString((folder / file).string()));
      EXPECT_EQ(image.size(), QSize(layout.width + 2 * kMargin, layout.height + 2 * kMargin));
      // The picture, the labels and the marks give hundreds of colours; a blank view has one.
      EXPECT_GT(ColourCount(image), 300u);
      if (copies != nullptr) {
        std::filesystem::copy_file(folder / file, std::filesystem::path(copies) / file,
                                   std::filesystem::copy_options::overwrite_existing);
      }
    }
  }
}

}  // namespace
