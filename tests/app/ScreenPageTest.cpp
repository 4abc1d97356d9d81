// The screen room through the controller, against the virtual keyboard: the library the page
// shows and keeps, imports, the frame editor, the screens' animations and their upload with its
// dialog, and the dialogs of tasks that find no keyboard.

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "ConnectedKeyboardFixture.h"
#include "base/Text.h"
#include "core/TextIds.h"
#include "media/Gif.h"
#include "media/ImageFiles.h"
#include "media/ScreenImage.h"
#include "screen/Converter.h"
#include "screen/ScreenDlg.h"
#include "screen/ScreenPageLayout.h"
#include "sim/ScreenMedia.h"
#include "ui/pages/WaitDlg.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/Dialogs.h"
#include "ui/tessel/ImageView.h"
#include "ui/tessel/Manager.h"
#include "ui/tessel/ThumbnailList.h"

namespace {

namespace fs = std::filesystem;
namespace sids = screen::ids;
using Request = Tessel::DialogRequest;

// An animation of the screen's size in flat colours, different for every seed.
media::Animation Stripes(int seed, int frames, int delayMs) {
  media::Animation animation{screen::kScreenWidth, screen::kScreenHeight, {}, 0};
  for (int f = 0; f < frames; ++f) {
    media::Picture picture(screen::kScreenWidth, screen::kScreenHeight);
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        const int band = (x / 20 + y / 10 + f + seed) % 3;
        picture.Set(x, y, media::MakeArgb(band * 100, (seed * 70) % 256, 200 - band * 60));
      }
    }
    animation.frames.push_back({picture, delayMs});
  }
  return animation;
}

// What the screen shows of a GIF: its frames in RGB 5-6-5 with the screen's delays.
protocol::Gx96Image AsScreenShowsIt(const fs::path& gif) {
  const auto animation = media::ReadGifFile(gif);
  EXPECT_TRUE(animation.has_value()) << gif;
  protocol::Gx96Image image{screen::kScreenWidth, screen::kScreenHeight, {}};
  if (!animation) return image;
  for (const media::Frame& frame : animation->frames) {
    protocol::Gx96Frame shown;
    shown.delayMs = static_cast<std::uint16_t>(media::ScreenDelayMs(frame.delayMs));
    for (const media::Argb pixel : frame.picture.pixels) {
      shown.pixels.push_back(media::ToScreenPixel(pixel));
    }
    image.frames.push_back(std::move(shown));
  }
  return image;
}

class ScreenPageTest : public ConnectedKeyboardFixture {
 protected:
  // The staged application folder: the shipped data with the converter of this build.
  fs::path AppFolder() override { return TARVO_APP_BUILD_DIR; }

  void SetUp() override {
    ConnectedKeyboardFixture::SetUp();
    Plug(101);
    bus.ModifyState(keyboard, [](sim::KeyboardState& state) {
      state.screen.appearDelay = std::chrono::milliseconds(0);
      state.screen.disappearDelay = std::chrono::milliseconds(0);
    });
    backend.SetResponder([this](const Request& request) { return Answer(request); });
    Start();
  }

  void Start() {
    // The worker's pauses (channel requests, the erase) are kept short.
    dialog->Screen().Service().SetWaiter([this](std::chrono::milliseconds) {
      ++pauses;
      if (onPause) onPause();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return true;
    });
    StartUp();
  }

  // The window closed and opened again on the same folders.
  void Restart() {
    dialog->CloseAndDestroy();
    dialog.reset();
    KeyboardDlg::Options options;
    options.startWorker = false;
    dialog = std::make_unique<KeyboardDlg>(*paths, *settings, *texts, bus, options);
    ASSERT_TRUE(dialog->Create(nullptr, "Tarvo", Tessel::Rect::FromSize(0, 0, 1400, 788)));
    dialog->Link().SetSleeper([](std::chrono::milliseconds) {});
    Start();
  }

  std::optional<Tessel::DialogAnswer> Answer(const Request& request) {
    Tessel::DialogAnswer answer;
    switch (request.kind) {
      case Request::Kind::OpenFile:
        answer.path = openFile.string();
        return answer;
      case Request::Kind::SaveFile:
        answer.path = saveFile.string();
        return answer;
      case Request::Kind::ModalShown:
        return AnswerModal(*request.window);
      default:
        return std::nullopt;
    }
  }

  std::optional<Tessel::DialogAnswer> AnswerModal(Tessel::MWindow& window) {
    if (auto* box = dynamic_cast<Tessel::CUIMessageBox*>(&window)) {
      boxes.push_back(box->GetText());
      return Tessel::DialogAnswer::Result(Tessel::kResultOK);
    }
    if (auto* delay = dynamic_cast<screen::FrameDelayDlg*>(&window)) {
      delay->GetControl<Tessel::MEdit>(screen::FrameDelayDlg::kEditId)->UserSetText(typedDelay);
      if (allFrames)
        delay->GetControl<Tessel::CRadioButton>(screen::FrameDelayDlg::kAllFramesId)->UserClick();
      delay->GetControl<Tessel::MButton>(screen::FrameDelayDlg::kOkId)->UserClick();
      return Tessel::DialogAnswer::Result(Tessel::HeadlessBackend::kLeaveOpen);
    }
    if (window.GetName() == WaitDlg::kWindowName ||
        window.GetName() == screen::UploadWaitDlg::kWindowName) {
      waited.push_back(window.GetName());
      if (whileWaiting) whileWaiting();
      RunQueuedTasks(8);
      return Tessel::DialogAnswer::Result(Tessel::HeadlessBackend::kLeaveOpen);
    }
    return std::nullopt;
  }

  screen::ScreenPage& Page() { return dialog->Screen().Page(); }
  screen::ScreenLibrary& Library() { return dialog->Screen().Service().Library(); }
  template <class T>
  T& Control(int id) {
    T* control = dialog->GetControl<T>(id);
    EXPECT_NE(control, nullptr) << id;
    return *control;
  }
  void Click(int id) { Control<Tessel::MButton>(id).UserClick(); }

  fs::path PutGif(const std::string& name, const media::Animation& animation) {
    const fs::path file = folder / name;
    EXPECT_TRUE(media::WriteGifFile(file, animation));
    return file;
  }
  // Imports through the import button; the new item's id.
  int Import(const fs::path& file) {
    openFile = file;
    Click(sids::kImportButton);
    Settle();
    const auto& imported = Page().LastImport();
    EXPECT_TRUE(imported && imported->ran && imported->result.done);
    return imported && imported->ran ? imported->result.ledId : 0;
  }
  void SetScreen(int screen, int ledId) {
    Control<Tessel::ThumbnailList>(sids::kScreenList).UserSelect(screen);
    auto& library = Control<Tessel::ThumbnailList>(sids::kLibraryList);
    library.UserSelect(library.FindData(ledId));
    Click(sids::kSaveButton);
  }
  fs::path UserGif(int screen) {
    return screen::UserScreenGif(paths->GetDataFolder(), "tarvo_k9", screen);
  }
  std::vector<std::uint8_t> Converted(const fs::path& gif) {
    const fs::path out = folder / "converted.bin";
    const auto result = screen::ConvertForScreen(screen::ConverterPath(AppFolder()), gif, out,
                                                 screen::kScreenWidth, screen::kScreenHeight);
    EXPECT_TRUE(result.Succeeded()) << result.problem;
    std::ifstream in(out, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  fs::path openFile;
  fs::path saveFile;
  std::string typedDelay;
  bool allFrames = false;
  std::function<void()> whileWaiting;
  std::function<void()> onPause;
  int pauses = 0;
  std::vector<std::string> boxes;
  std::vector<std::string> waited;
};

TEST_F(ScreenPageTest, TheFirstVisitShowsEveryScreensAnimationAndItsFrames) {
  auto& library = Control<Tessel::ThumbnailList>(sids::kLibraryList);
  ASSERT_EQ(library.GetCount(), 3) << "one item per factory animation";
  EXPECT_EQ(library.GetCurSel(), 0);
  EXPECT_EQ(library.GetItemDetail(0), base::Format(Text(text::kLcdFrameCount), "16"));
  auto& screens = Control<Tessel::ThumbnailList>(sids::kScreenList);
  for (int screen = 0; screen < 3; ++screen) {
    EXPECT_EQ(screens.GetItemText(screen), Text(text::kLcdScreen1 + screen));
    EXPECT_EQ(screens.GetItemPicture(screen), UserGif(screen).string()) << "restored user GIFs";
  }
  ASSERT_EQ(Page().Frames().size(), 16u);
  EXPECT_EQ(Control<Tessel::ThumbnailList>(sids::kFrameList).GetCount(), 16);
  const std::vector<Tessel::Color> pixels = Control<Tessel::ImageView>(sids::kCanvas).GetPixels();
  EXPECT_TRUE(std::any_of(pixels.begin(), pixels.end(), [](Tessel::Color c) { return c != 0; }))
      << "the canvas shows frame 1";
}

TEST_F(ScreenPageTest, AnImportUnderProfileThreeIsStillListedAfterARestart) {
  ASSERT_TRUE(dialog->Profiles().Page().SelectProfile(3));
  Settle();
  ASSERT_EQ(Profile(), 3);
  const int imported = Import(PutGif("wave.gif", Stripes(2, 4, 60)));
  ASSERT_GT(imported, 0);
  EXPECT_EQ(waited, std::vector<std::string>{WaitDlg::kWindowName});
  EXPECT_EQ(Tessel::Manager::FindWindow(WaitDlg::kWindowName), nullptr) << "the epilogue closed it";
  ASSERT_TRUE(Page().CurrentItem().has_value());
  EXPECT_EQ(Page().CurrentItem()->ledId, imported) << "the new item is shown";
  ASSERT_EQ(Page().Frames().size(), 4u);
  EXPECT_EQ(Page().Frames()[3].delayMs, 60);

  Restart();
  const auto& library = Control<Tessel::ThumbnailList>(sids::kLibraryList);
  EXPECT_GE(library.FindData(imported), 0);
  storage::LedLayerRecord row;
  ASSERT_TRUE(Database().GetLedLayer(imported, row));
  EXPECT_EQ(row.profile, 1);
}

TEST_F(ScreenPageTest, ScreensZeroAndTwoUploadAsConvertedFromTheAnimationsChosenOnThePage) {
  const media::Animation first = Stripes(1, 3, 50);
  const media::Animation second = Stripes(2, 2, 120);
  const int a = Import(PutGif("a.gif", first));
  const int b = Import(PutGif("b.gif", second));
  SetScreen(0, a);
  SetScreen(2, b);
  ASSERT_EQ(media::ReadGifFile(UserGif(0))->frames, first.frames);
  ASSERT_EQ(media::ReadGifFile(UserGif(2))->frames, second.frames);
  EXPECT_EQ(Control<Tessel::ThumbnailList>(sids::kScreenList).GetItemPicture(2),
            UserGif(2).string());

  waited.clear();
  Click(sids::kUploadButton);
  Settle();
  EXPECT_EQ(waited, std::vector<std::string>{screen::UploadWaitDlg::kWindowName});
  EXPECT_EQ(Tessel::Manager::FindWindow(screen::UploadWaitDlg::kWindowName), nullptr);
  EXPECT_TRUE(Control<Tessel::MButton>(sids::kUploadButton).IsEnabled());
  ASSERT_TRUE(Page().LastUpload() && Page().LastUpload()->ran);
  ASSERT_TRUE(Page().LastUpload()->result.Succeeded()) << Page().LastUploadLine();
  EXPECT_TRUE(boxes.empty());

  const sim::KeyboardState state = Keyboard();
  const auto stored = sim::ReadStoredImages(state.screen);
  ASSERT_EQ(stored.size(), 3u) << "screen 1 keeps its factory animation";
  EXPECT_EQ(stored[0].bytes, Converted(UserGif(0)));
  EXPECT_EQ(stored[1].bytes, Converted(UserGif(1)));
  EXPECT_EQ(stored[2].bytes, Converted(UserGif(2)));
  ASSERT_TRUE(stored[0].image && stored[2].image);
  EXPECT_EQ(*stored[0].image, AsScreenShowsIt(UserGif(0)));
  EXPECT_EQ(*stored[2].image, AsScreenShowsIt(UserGif(2)));
  EXPECT_EQ(state.screen.flash.writesOverUnerased, 0u);
  EXPECT_FALSE(state.screen.sessionOpen);
}

TEST_F(ScreenPageTest, AKeyboardPulledOutDuringTheUploadClosesItsDialogAndSaysSo) {
  onPause = [this] {
    onPause = nullptr;
    bus.UnplugCable(keyboard);
  };
  Click(sids::kUploadButton);
  Settle();
  EXPECT_EQ(waited, std::vector<std::string>{screen::UploadWaitDlg::kWindowName});
  EXPECT_EQ(Tessel::Manager::FindWindow(screen::UploadWaitDlg::kWindowName), nullptr);
  ASSERT_TRUE(Page().LastUpload() && Page().LastUpload()->ran);
  EXPECT_FALSE(Page().LastUpload()->result.Succeeded());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find(Page().UploadProblem(Page().LastUpload()->result)), std::string::npos);
  EXPECT_TRUE(Control<Tessel::MButton>(sids::kUploadButton).IsEnabled());
}

// Import, export and upload queued while no keyboard is there are dropped; their dialogs close
// all the same and the user hears why.
TEST_F(ScreenPageTest, TasksDroppedWithoutAKeyboardCloseTheirDialogs) {
  openFile = PutGif("c.gif", Stripes(3, 1, 0));
  saveFile = folder / "out.gif";
  const std::pair<int, const char*> buttons[] = {
      {sids::kImportButton, WaitDlg::kWindowName},
      {sids::kExportButton, WaitDlg::kWindowName},
      {sids::kUploadButton, screen::UploadWaitDlg::kWindowName}};
  for (const auto& [button, window] : buttons) {
    SCOPED_TRACE(window);
    waited.clear();
    boxes.clear();
    SetConnected(false);
    Click(button);
    Settle();
    EXPECT_EQ(waited, std::vector<std::string>{window});
    EXPECT_EQ(Tessel::Manager::FindWindow(window), nullptr);
    EXPECT_EQ(boxes, std::vector<std::string>{Text(text::kHomeNoKeyboard)});
    SetConnected(true);
  }
  EXPECT_FALSE(fs::exists(saveFile));
  EXPECT_EQ(Control<Tessel::ThumbnailList>(sids::kLibraryList).GetCount(), 3);
  EXPECT_TRUE(Control<Tessel::MButton>(sids::kUploadButton).IsEnabled());
}

TEST_F(ScreenPageTest, ExportWritesTheAnimationShown) {
  const int item = Import(PutGif("d.gif", Stripes(4, 3, 90)));
  ASSERT_GT(item, 0);
  saveFile = folder / "exported.gif";
  Click(sids::kExportButton);
  Settle();
  ASSERT_TRUE(Page().LastExport() && Page().LastExport()->ran);
  const auto exported = media::ReadGifFile(saveFile);
  ASSERT_TRUE(exported.has_value());
  EXPECT_EQ(exported->frames, Stripes(4, 3, 90).frames);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ScreenPageTest, FrameEditsAreKeptAsTheyAreMadeAndDelaysAreClamped) {
  const int item = Import(PutGif("e.gif", Stripes(5, 2, 100)));
  ASSERT_GT(item, 0);
  auto& canvas = Control<Tessel::ImageView>(sids::kCanvas);
  const auto& undo = Control<Tessel::MButton>(sids::kUndoButton);
  EXPECT_FALSE(undo.IsEnabled()) << "a frame just shown has no edit to take back";
  canvas.SetColorValue(0x0000FF);
  canvas.UserPress(10, 10);
  canvas.UserDrag(30, 10);
  canvas.UserRelease(30, 10);
  const auto written = media::ReadImageFile(Page().Frames()[0].file);
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->frames[0].picture.At(20, 10), media::MakeArgb(255, 0, 0));
  EXPECT_TRUE(undo.IsEnabled());
  Click(sids::kUndoButton);
  EXPECT_FALSE(undo.IsEnabled());
  const auto undone = media::ReadImageFile(Page().Frames()[0].file);
  ASSERT_TRUE(undone.has_value());
  EXPECT_NE(undone->frames[0].picture.At(20, 10), media::MakeArgb(255, 0, 0));

  // Entering 20 stores 30, 900 stores 500, letters store 30; "all frames" reaches every frame.
  const std::pair<const char*, int> delays[] = {{"20", 30}, {"900", 500}, {"abc", 30}};
  for (const auto& [typed, stored] : delays) {
    typedDelay = typed;
    Control<Tessel::ThumbnailList>(sids::kFrameList).UserDoubleClick(1);
    std::vector<storage::LedFrameRecord> rows;
    Database().ListLedFrames(item, rows);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].delay_time, stored) << typed;
    EXPECT_EQ(rows[0].delay_time, 100);
  }
  typedDelay = "250";
  allFrames = true;
  Control<Tessel::ThumbnailList>(sids::kFrameList).UserDoubleClick(0);
  std::vector<storage::LedFrameRecord> rows;
  Database().ListLedFrames(item, rows);
  EXPECT_EQ(rows[0].delay_time, 250);
  EXPECT_EQ(rows[1].delay_time, 250);
}

TEST_F(ScreenPageTest, AnAnimationWithoutFramesIsNeverAScreensAndItsRowStays) {
  const int item = Import(PutGif("f.gif", Stripes(6, 2, 100)));
  SetScreen(1, item);
  ASSERT_TRUE(boxes.empty());
  std::vector<storage::ScreenImageRecord> before;
  Database().ListScreenImages(before);
  const auto gifBefore = media::ReadGifFile(UserGif(1));

  Click(sids::kDeleteFrameButton);
  Click(sids::kDeleteFrameButton);
  EXPECT_TRUE(Page().Frames().empty());
  Click(sids::kSaveButton);
  EXPECT_EQ(boxes.back(), Text(text::kLcdEmptyAnimation));
  std::vector<storage::ScreenImageRecord> after;
  Database().ListScreenImages(after);
  ASSERT_EQ(after.size(), 3u);
  EXPECT_EQ(after[1].frame_size, before[1].frame_size);
  EXPECT_EQ(media::ReadGifFile(UserGif(1)), gifBefore);
}

}  // namespace
