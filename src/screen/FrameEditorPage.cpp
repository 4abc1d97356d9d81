// The screen page's frame editor: the frames of the animation shown, the canvas, the text tool
// and the colours to draw with (the ScreenPage operations of editing).

#include <algorithm>
#include <system_error>

#include "base/Text.h"
#include "core/SharedState.h"
#include "core/TextIds.h"
#include "media/ImageFiles.h"
#include "media/Resample.h"
#include "platform/text/TextRaster.h"
#include "screen/ScreenDlg.h"
#include "screen/ScreenPage.h"
#include "screen/ScreenPageLayout.h"
#include "storage/ConfigKeys.h"
#include "storage/SettingsDatabase.h"
#include "ui/pages/ColorFields.h"
#include "ui/tessel/ColorWheel.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/ImageView.h"
#include "ui/tessel/PageHost.h"
#include "ui/tessel/ThumbnailList.h"

namespace screen {
namespace {

namespace fs = std::filesystem;
namespace key = storage::config_key;

constexpr const char* kPictureFilter = "Picture (*.jpg;*.png)";
constexpr std::string_view kPresetKeys[ids::kPresetCount] = {
    key::kDefaultColor1, key::kDefaultColor2, key::kDefaultColor3,
    key::kDefaultColor4, key::kDefaultColor5, key::kDefaultColor6};
constexpr Tessel::Color kPresetDefaults[ids::kPresetCount] = {8331093,  4114939, 65280,
                                                              16776960, 255,     14237951};
constexpr pages::ColorFieldIds kColorFields{ids::kColorWheel, ids::kRedEdit, ids::kGreenEdit,
                                            ids::kBlueEdit};

std::vector<Tessel::Color> CanvasPixels(const media::Picture& picture) {
  std::vector<Tessel::Color> pixels;
  pixels.reserve(picture.pixels.size());
  for (media::Argb pixel : media::Flatten(picture).pixels) {
    pixels.push_back(Tessel::Rgb(media::RedOf(pixel), media::GreenOf(pixel), media::BlueOf(pixel)));
  }
  return pixels;
}

media::Picture PictureOf(const Tessel::ImageView& canvas) {
  media::Picture picture(canvas.GetPictureWidth(), canvas.GetPictureHeight());
  const std::vector<Tessel::Color> pixels = canvas.GetPixels();
  for (std::size_t i = 0; i < pixels.size() && i < picture.pixels.size(); ++i) {
    picture.pixels[i] = media::MakeArgb(Tessel::RedOf(pixels[i]), Tessel::GreenOf(pixels[i]),
                                        Tessel::BlueOf(pixels[i]));
  }
  return picture;
}

// A picture file as the screen shows it: its first frame fitted into the screen's size.
std::optional<media::Picture> ScreenPicture(const fs::path& file) {
  const auto read = media::ReadImageFile(file);
  if (!read || read->frames.empty()) return std::nullopt;
  return media::FitInto(read->frames.front().picture, kScreenWidth, kScreenHeight);
}

// A field's text while the user types: nothing yet to read in an empty field.
bool StillTyping(const std::string& text) {
  return base::Trim(text).empty();
}

}  // namespace

std::optional<Tessel::TextMask> RasterizeForCanvas(const std::string& text, int pixelSize) {
  std::optional<platform::text::TextBitmap> bitmap = platform::text::RasterizeText(text, pixelSize);
  if (!bitmap) return std::nullopt;
  return Tessel::TextMask{bitmap->width, bitmap->height, std::move(bitmap->coverage)};
}

std::string ScreenPage::FieldText(int id) const {
  auto* edit = host_.GetControl<Tessel::MEdit>(id);
  return edit != nullptr ? edit->GetEditText() : std::string();
}

// The animation and its frames ------------------------------------------------------------------

void ScreenPage::ShowItem(const std::optional<LibraryItem>& item) {
  item_ = item;
  frames_ = item ? service_.Library().LoadFrames(*item) : std::vector<LibraryFrame>();
  frame_ = frames_.empty() ? -1 : 0;
  FillFrames();
  ShowFrameOnCanvas();
  const bool editable = item_ && !item_->folder.empty();
  for (int id :
       {ids::kAddPictureButton, ids::kSaveButton, ids::kExportButton, ids::kDeleteButton}) {
    if (Tessel::MControl* control = host_.FindControl(id))
      control->SetEnabled(item_.has_value() && (editable || id == ids::kDeleteButton));
  }
}

void ScreenPage::FillFrames() {
  auto* list = List(ids::kFrameList);
  if (list == nullptr) return;
  list->ResetContent();
  for (std::size_t i = 0; i < frames_.size(); ++i) {
    list->AddPictureItem(std::to_string(i + 1), static_cast<std::intptr_t>(i),
                         frames_[i].file.string(), DelayText(frames_[i].delayMs));
  }
  list->SetCurSel(frame_);
  const bool any = frame_ >= 0;
  for (int id : {ids::kCopyFrameButton, ids::kDeleteFrameButton, ids::kCanvas}) {
    if (Tessel::MControl* control = host_.FindControl(id)) control->SetEnabled(any);
  }
}

bool ScreenPage::SelectFrame(int position) {
  if (position < 0 || position >= static_cast<int>(frames_.size())) return false;
  frame_ = position;
  if (auto* list = List(ids::kFrameList)) list->SetCurSel(position);
  ShowFrameOnCanvas();
  return true;
}

void ScreenPage::ShowFrameOnCanvas() {
  Tessel::ImageView* canvas = Canvas();
  if (canvas == nullptr) return;
  // A frame whose file is missing shows an empty frame.
  const std::optional<media::Picture> picture =
      frame_ < 0 ? std::nullopt : ScreenPicture(frames_[static_cast<std::size_t>(frame_)].file);
  if (picture) {
    canvas->SetPicture(picture->width, picture->height, CanvasPixels(*picture));
  } else {
    canvas->ClearPicture(kScreenWidth, kScreenHeight);
  }
  UpdateUndoButton();
}

// Undo is offered only while the frame on the canvas has an edit to take back.
void ScreenPage::UpdateUndoButton() {
  const Tessel::ImageView* canvas = Canvas();
  if (Tessel::MControl* undo = host_.FindControl(ids::kUndoButton)) {
    undo->SetEnabled(canvas != nullptr && canvas->CanUndo());
  }
}

// The frame list as the database keeps it; when it cannot be stored, the stored list is shown
// again.
bool ScreenPage::StoreFrames() {
  if (!item_) return false;
  if (!service_.Library().StoreFrames(*item_, frames_).done) {
    Tell(text::kLcdSaveFailedCaption, Text(text::kLcdSaveFailed));
    const int frame = frame_;
    ShowItem(service_.Library().FindItem(item_->ledId));
    SelectFrame(std::min(frame, static_cast<int>(frames_.size()) - 1));
    return false;
  }
  item_->frameCount = static_cast<int>(frames_.size());
  item_->firstFrame = frames_.empty() ? fs::path() : frames_.front().file;
  RefreshItemTile();
  return true;
}

fs::path ScreenPage::NewFrameFile() {
  return item_->folder / service_.Library().NewName(item_->folder, ".png");
}

// Files of frames the list no longer holds; only files inside the item's own folder.
void ScreenPage::RemoveUnusedFiles(const std::vector<fs::path>& files) {
  for (const fs::path& file : files) {
    const bool used = std::any_of(frames_.begin(), frames_.end(),
                                  [&](const LibraryFrame& frame) { return frame.file == file; });
    if (used || !item_ || file.parent_path() != item_->folder) continue;
    std::error_code error;
    fs::remove(file, error);
  }
}

bool ScreenPage::AddPictureFrame(const fs::path& picture) {
  if (!item_ || item_->folder.empty()) return false;
  const std::optional<media::Picture> read = ScreenPicture(picture);
  if (!read) return false;
  const fs::path file = NewFrameFile();
  if (!media::WritePngFile(file, *read)) return false;
  frames_.push_back({file, kSeedFrameDelayMs});
  if (!StoreFrames()) {
    RemoveUnusedFiles({file});
    return false;
  }
  frame_ = static_cast<int>(frames_.size()) - 1;
  FillFrames();
  ShowFrameOnCanvas();
  return true;
}

void ScreenPage::OnAddPictureClicked() {
  if (!item_) return;
  const std::optional<std::string> file = host_.AskOpenFile(kPictureFilter);
  if (!file || AddPictureFrame(*file)) return;
  Tell(text::kImportFailedCaption,
       base::Format(Text(text::kLcdImportFailed), fs::path(*file).filename().string()));
}

bool ScreenPage::CopyFrame() {
  if (!item_ || item_->folder.empty() || frame_ < 0) return false;
  const LibraryFrame source = frames_[static_cast<std::size_t>(frame_)];
  const fs::path file = NewFrameFile();
  std::error_code error;
  if (!fs::copy_file(source.file, file, error)) {
    Tell(text::kLcdSaveFailedCaption, Text(text::kLcdSaveFailed));
    return false;
  }
  frames_.push_back({file, source.delayMs});
  if (!StoreFrames()) {
    RemoveUnusedFiles({file});
    return false;
  }
  frame_ = static_cast<int>(frames_.size()) - 1;
  FillFrames();
  ShowFrameOnCanvas();
  return true;
}

bool ScreenPage::DeleteFrame() {
  if (!item_ || frame_ < 0) return false;
  const fs::path removed = frames_[static_cast<std::size_t>(frame_)].file;
  frames_.erase(frames_.begin() + frame_);
  if (!StoreFrames()) return false;
  RemoveUnusedFiles({removed});
  frame_ = std::min(frame_, static_cast<int>(frames_.size()) - 1);
  FillFrames();
  ShowFrameOnCanvas();
  return true;
}

void ScreenPage::OnDeleteFrameClicked() {
  if (frame_ < 0) return;
  if (host_.AskMessage(Text(text::kLcdDeleteFrame), Text(text::kLcdDeleteFrameMessage), true) !=
      Tessel::kResultOK) {
    return;
  }
  DeleteFrame();
}

bool ScreenPage::SetFrameDelay(int delayMs, bool allFrames) {
  if (!item_ || frame_ < 0) return false;
  const int delay = ClampFrameDelay(delayMs);
  for (std::size_t i = 0; i < frames_.size(); ++i) {
    if (allFrames || static_cast<int>(i) == frame_) frames_[i].delayMs = delay;
  }
  if (!StoreFrames()) return false;
  if (auto* list = List(ids::kFrameList)) {
    for (std::size_t i = 0; i < frames_.size(); ++i)
      list->SetItemDetail(static_cast<int>(i), DelayText(frames_[i].delayMs));
  }
  return true;
}

void ScreenPage::OnFrameDoubleClicked(int position) {
  if (!SelectFrame(position)) return;
  FrameDelayDlg dialog(frames_[static_cast<std::size_t>(position)].delayMs,
                       [this](int id) { return Text(id); });
  if (host_.RunDialog(dialog, Text(text::kLcdDelayDialogTitle), 300, 200) != Tessel::kResultOK)
    return;
  SetFrameDelay(dialog.Delay(), dialog.AllFrames());
}

// The canvas -------------------------------------------------------------------------------------

// The frame's file holds what the canvas shows once an edit is complete.
bool ScreenPage::WriteCanvasToFrame() {
  Tessel::ImageView* canvas = Canvas();
  if (canvas == nullptr || !item_ || frame_ < 0 || !canvas->IsModified()) return false;
  const fs::path file = frames_[static_cast<std::size_t>(frame_)].file;
  if (!media::WritePngFile(file, PictureOf(*canvas))) {
    Tell(text::kLcdSaveFailedCaption, Text(text::kLcdSaveFailed));
    ShowFrameOnCanvas();
    return false;
  }
  canvas->MarkSaved();
  if (auto* list = List(ids::kFrameList)) list->SetItemPicture(frame_, file.string());
  if (frame_ == 0) RefreshItemTile();
  return true;
}

void ScreenPage::OnCanvasEdited() {
  WriteCanvasToFrame();
  UpdateUndoButton();
}

void ScreenPage::OnUndoClicked() {
  Tessel::ImageView* canvas = Canvas();
  if (canvas != nullptr && canvas->RecoverCurEdit()) WriteCanvasToFrame();
  UpdateUndoButton();
}

void ScreenPage::OnToolChosen(int id) {
  Tessel::ImageView* canvas = Canvas();
  if (canvas == nullptr) return;
  const int mode = id == ids::kPenTool      ? Tessel::ImageView::kDrawPen
                   : id == ids::kEraserTool ? Tessel::ImageView::kDrawEraser
                                            : Tessel::ImageView::kDrawText;
  canvas->SetDrawMode(mode);
  if (mode == Tessel::ImageView::kDrawText) canvas->SetText(FieldText(ids::kTextEdit));
}

void ScreenPage::OnTextEdited() {
  if (Tessel::ImageView* canvas = Canvas()) canvas->SetText(FieldText(ids::kTextEdit));
}

void ScreenPage::OnFontSizeEdited() {
  const std::string typed = FieldText(ids::kFontSizeEdit);
  if (StillTyping(typed)) return;
  if (Tessel::ImageView* canvas = Canvas()) canvas->SetFontSize(base::ToInt(typed));
}

// Colours ----------------------------------------------------------------------------------------

void ScreenPage::LoadPresets() {
  const int profile = state_.currentProfile.load();
  for (int i = 0; i < ids::kPresetCount; ++i) {
    std::string stored;
    presets_[static_cast<std::size_t>(i)] =
        database_.GetConfigValue(profile, kPresetKeys[i], stored)
            ? static_cast<Tessel::Color>(base::ToInt(stored)) & 0xFFFFFF
            : kPresetDefaults[i];
    if (auto* button = host_.GetControl<Tessel::CColorButton>(ids::kFirstPreset + i)) {
      button->SetColor(presets_[static_cast<std::size_t>(i)]);
      button->SetSelected(i == preset_);
    }
  }
  const Tessel::Color color = presets_[static_cast<std::size_t>(preset_)];
  if (Tessel::ImageView* canvas = Canvas()) canvas->SetColorValue(color);
  ShowColor(color, 0);
}

bool ScreenPage::ChoosePreset(int index) {
  if (index < 0 || index >= ids::kPresetCount) return false;
  preset_ = index;
  for (int i = 0; i < ids::kPresetCount; ++i) {
    if (auto* button = host_.GetControl<Tessel::CColorButton>(ids::kFirstPreset + i))
      button->SetSelected(i == index);
  }
  const Tessel::Color color = presets_[static_cast<std::size_t>(index)];
  if (Tessel::ImageView* canvas = Canvas()) canvas->SetColorValue(color);
  ShowColor(color, 0);
  return true;
}

void ScreenPage::SetLcdColor(Tessel::Color color, int from) {
  color &= 0xFFFFFF;
  const int profile = state_.currentProfile.load();
  if (!database_.SetConfigValue(profile, kPresetKeys[preset_], std::to_string(color))) {
    LoadPresets();  // the page shows what is stored
    return;
  }
  presets_[static_cast<std::size_t>(preset_)] = color;
  if (auto* button = host_.GetControl<Tessel::CColorButton>(ids::kFirstPreset + preset_))
    button->SetColor(color);
  if (Tessel::ImageView* canvas = Canvas()) canvas->SetColorValue(color);
  ShowColor(color, from);
}

void ScreenPage::ShowColor(Tessel::Color color, int except) {
  pages::ShowColorFields(host_, kColorFields, color, except);
}

void ScreenPage::OnRgbEdited(int id, bool commit) {
  if (const std::optional<Tessel::Color> color =
          pages::ReadColorFields(host_, kColorFields, id, commit))
    SetLcdColor(*color, commit ? 0 : id);
}

}  // namespace screen
