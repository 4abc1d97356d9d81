#include "screen/ScreenPage.h"

#include "base/Text.h"
#include "core/DeviceTaskQueue.h"
#include "core/SharedState.h"
#include "core/TaskCodes.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "core/ThreadCheck.h"
#include "screen/ScreenDlg.h"
#include "screen/ScreenPageLayout.h"
#include "ui/tessel/ColorWheel.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/ImageView.h"
#include "ui/tessel/Manager.h"
#include "ui/tessel/PageHost.h"
#include "ui/tessel/ThumbnailList.h"

namespace screen {
namespace {

namespace fs = std::filesystem;

// The file dialogs' filters.
constexpr const char* kImportFilter = "Image Files (*.gif;*.jpg;*.jpeg;*.png;*.bmp)";
constexpr const char* kExportFilter = "LED (*.gif)";

bool IsPreset(int id) {
  return id >= ids::kFirstPreset && id <= ids::kLastPreset;
}

bool IsRgbEdit(int id) {
  return id == ids::kRedEdit || id == ids::kGreenEdit || id == ids::kBlueEdit;
}

bool IsTool(int id) {
  return id == ids::kPenTool || id == ids::kEraserTool || id == ids::kTextTool;
}

}  // namespace

ScreenPage::ScreenPage(Tessel::PageHost& host, SharedState& state,
                       storage::SettingsDatabase& database, const core::TextTable& texts,
                       DeviceTaskQueue& tasks, ScreenService& service)
    : host_(host),
      state_(state),
      database_(database),
      texts_(texts),
      tasks_(tasks),
      service_(service),
      presets_(ids::kPresetCount, 0) {}

std::string ScreenPage::Text(int id) const {
  return texts_.GetText(text::kDialogSection, id);
}

Tessel::ImageView* ScreenPage::Canvas() const {
  return host_.GetControl<Tessel::ImageView>(ids::kCanvas);
}

Tessel::ThumbnailList* ScreenPage::List(int id) const {
  return host_.GetControl<Tessel::ThumbnailList>(id);
}

void ScreenPage::Tell(int captionId, const std::string& message) {
  host_.AskMessage(Text(captionId), message, false);
}

// Events ---------------------------------------------------------------------------------------

bool ScreenPage::OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) {
  TARVO_EXPECT_UI_THREAD();
  if (id < ids::kScreensCard || id > ids::kLastId) return false;
  const bool click = code == Tessel::kEventClick;
  const bool chosen = code == Tessel::kEventSelChanged;
  const bool typed = code == Tessel::kEventTextChanged || code == Tessel::kEventCommit;
  if (id == ids::kScreenList && chosen) {
    SelectScreen(static_cast<int>(arg2));
  } else if (id == ids::kLibraryList && chosen) {
    SelectLibraryItem(static_cast<int>(arg2));
  } else if (id == ids::kFrameList && chosen) {
    SelectFrame(static_cast<int>(arg1));
  } else if (id == ids::kFrameList && code == Tessel::kEventDoubleClick) {
    OnFrameDoubleClicked(static_cast<int>(arg1));
  } else if (id == ids::kCanvas && code == Tessel::kEventValueChanged) {
    OnCanvasEdited();
  } else if (IsTool(id) && click) {
    OnToolChosen(id);
  } else if (id == ids::kGridCheck && click) {
    if (Tessel::ImageView* canvas = Canvas()) canvas->SetGrid(arg1 != 0);
  } else if (id == ids::kTextEdit && typed) {
    OnTextEdited();
  } else if (id == ids::kFontSizeEdit && typed) {
    OnFontSizeEdited();
  } else if (id == ids::kColorWheel && code == Tessel::kEventValueChanged) {
    SetLcdColor(static_cast<Tessel::Color>(arg1), id);
  } else if (IsRgbEdit(id) && typed) {
    OnRgbEdited(id, code == Tessel::kEventCommit);
  } else if (IsPreset(id) && click) {
    ChoosePreset(id - ids::kFirstPreset);
  } else if (click) {
    HandleClick(id);
  }
  return true;
}

// The buttons.
bool ScreenPage::HandleClick(int id) {
  struct Button {
    int id;
    void (ScreenPage::*action)();
  };
  static constexpr Button kButtons[] = {
      {ids::kUploadButton, &ScreenPage::OnUploadClicked},
      {ids::kClockButton, &ScreenPage::OnClockClicked},
      {ids::kUndoButton, &ScreenPage::OnUndoClicked},
      {ids::kAddPictureButton, &ScreenPage::OnAddPictureClicked},
      {ids::kCopyFrameButton, &ScreenPage::OnCopyFrameClicked},
      {ids::kDeleteFrameButton, &ScreenPage::OnDeleteFrameClicked},
      {ids::kSaveButton, &ScreenPage::OnSaveClicked},
      {ids::kImportButton, &ScreenPage::OnImportClicked},
      {ids::kNewButton, &ScreenPage::OnNewClicked},
      {ids::kDeleteButton, &ScreenPage::OnDeleteItemClicked},
      {ids::kExportButton, &ScreenPage::OnExportClicked},
  };
  for (const Button& button : kButtons) {
    if (button.id != id) continue;
    (this->*button.action)();
    return true;
  }
  return false;
}

// Loading and showing ----------------------------------------------------------------------------

void ScreenPage::LoadLcdPage() {
  TARVO_EXPECT_UI_THREAD();
  if (Tessel::ImageView* canvas = Canvas()) {
    canvas->SetTextRasterizer(RasterizeForCanvas);
    canvas->SetFontSize(base::ToInt(FieldText(ids::kFontSizeEdit)));
  }
  RefreshScreens();
  const std::optional<LibraryItem> shown = item_;
  FillLibrary(shown ? shown->ledId : 0);
  auto* library = List(ids::kLibraryList);
  const int ledId =
      library != nullptr && library->GetCurSel() >= 0 ? static_cast<int>(library->GetCurData()) : 0;
  ShowItem(service_.Library().FindItem(ledId));
  LoadPresets();
  ApplyTexts();
}

void ScreenPage::ApplyTexts() {
  if (auto* text = host_.GetControl<Tessel::MEdit>(ids::kTextEdit))
    text->SetPlaceholder(Text(text::kLcdTextPlaceholder));
  if (auto* hint = host_.GetControl<Tessel::MControlFont>(ids::kSaveHint)) {
    hint->SetTitle(base::Format(Text(text::kLcdSavesTo), Text(text::kLcdScreen1 + screen_)));
  }
  RefreshScreens();
  if (auto* library = List(ids::kLibraryList)) {
    for (int i = 0; i < library->GetCount(); ++i) {
      if (const std::optional<LibraryItem> item =
              service_.Library().FindItem(static_cast<int>(library->GetItemData(i)))) {
        library->SetItemDetail(i, FrameCountText(item->frameCount));
      }
    }
  }
  if (auto* frames = List(ids::kFrameList)) {
    for (int i = 0; i < frames->GetCount() && i < static_cast<int>(frames_.size()); ++i)
      frames->SetItemDetail(i, DelayText(frames_[static_cast<std::size_t>(i)].delayMs));
  }
}

void ScreenPage::RefreshScreens() {
  auto* list = List(ids::kScreenList);
  if (list == nullptr) return;
  for (const ScreenEntry& entry : service_.Library().ListScreens()) {
    const int position = list->FindData(entry.screen);
    if (position < 0) continue;
    const fs::path shown = !entry.gif.empty() ? entry.gif : entry.picture;
    if (list->GetItemPicture(position) != shown.string() || entry.userChoice) {
      list->SetItemPicture(position, shown.string());
    }
    const int detail = entry.gif.empty()  ? text::kLcdNoAnimation
                       : entry.userChoice ? text::kLcdUserChoice
                                          : text::kLcdFactoryChoice;
    list->SetItemDetail(position, Text(detail));
  }
  list->SelectData(screen_);
}

std::string ScreenPage::FrameCountText(int frames) const {
  return base::Format(Text(text::kLcdFrameCount), std::to_string(frames));
}

std::string ScreenPage::DelayText(int delayMs) const {
  return base::Format(Text(text::kLcdFrameDelay), std::to_string(delayMs));
}

// A time-stamp name shown as a date and time; other names as they are.
std::string ScreenPage::ItemCaption(const LibraryItem& item) const {
  const std::string& name = item.name;
  const bool stamp = name.size() == 17 && name.find_first_not_of("0123456789") == std::string::npos;
  if (!stamp) return name;
  return name.substr(0, 4) + "-" + name.substr(4, 2) + "-" + name.substr(6, 2) + " " +
         name.substr(8, 2) + ":" + name.substr(10, 2) + ":" + name.substr(12, 2);
}

void ScreenPage::FillLibrary(int select) {
  auto* list = List(ids::kLibraryList);
  if (list == nullptr) return;
  list->ResetContent();
  for (const LibraryItem& item : service_.Library().ListItems()) {
    list->AddPictureItem(ItemCaption(item), item.ledId, item.firstFrame.string(),
                         FrameCountText(item.frameCount));
  }
  if (!list->SelectData(select)) list->SetCurSel(list->GetCount() > 0 ? 0 : -1);
}

void ScreenPage::RefreshItemTile() {
  auto* list = List(ids::kLibraryList);
  if (list == nullptr || !item_) return;
  const int position = list->FindData(item_->ledId);
  if (position < 0) return;
  list->SetItemPicture(position, item_->firstFrame.string());
  list->SetItemDetail(position, FrameCountText(item_->frameCount));
}

// Library ----------------------------------------------------------------------------------------

bool ScreenPage::SelectScreen(int screen) {
  if (screen < 0 || screen >= kScreenCount) return false;
  screen_ = screen;
  if (auto* list = List(ids::kScreenList)) list->SelectData(screen);
  if (auto* hint = host_.GetControl<Tessel::MControlFont>(ids::kSaveHint))
    hint->SetTitle(base::Format(Text(text::kLcdSavesTo), Text(text::kLcdScreen1 + screen)));
  return true;
}

bool ScreenPage::SelectLibraryItem(int ledId) {
  const std::optional<LibraryItem> item = service_.Library().FindItem(ledId);
  if (!item) return false;
  if (auto* list = List(ids::kLibraryList)) list->SelectData(ledId);
  ShowItem(item);
  return true;
}

LibraryOutcome ScreenPage::NewLibraryItem() {
  LibraryOutcome made = service_.Library().CreateItem();
  if (!made.done) {
    Tell(text::kLcdSaveFailedCaption, Text(text::kLcdSaveFailed));
    return made;
  }
  FillLibrary(made.ledId);
  SelectLibraryItem(made.ledId);
  return made;
}

LibraryOutcome ScreenPage::DeleteLibraryItem(int ledId) {
  auto* list = List(ids::kLibraryList);
  const int position = list != nullptr ? list->FindData(ledId) : -1;
  LibraryOutcome deleted = service_.Library().DeleteItem(ledId);
  if (!deleted.done) return deleted;
  FillLibrary(0);
  // The item before the deleted one is shown (the first when it was the first).
  if (list != nullptr && list->GetCount() > 0) list->SetCurSel(std::max(position - 1, 0));
  const int shown =
      list != nullptr && list->GetCurSel() >= 0 ? static_cast<int>(list->GetCurData()) : 0;
  ShowItem(service_.Library().FindItem(shown));
  return deleted;
}

void ScreenPage::OnDeleteItemClicked() {
  if (!item_) return;
  if (host_.AskMessage(Text(text::kLcdDeleteItemCaption), Text(text::kLcdDeleteItemMessage),
                       true) != Tessel::kResultOK) {
    return;
  }
  if (!DeleteLibraryItem(item_->ledId).done) {
    Tell(text::kLcdDeleteItemCaption, Text(text::kLcdDeleteFailed));
  }
}

LibraryOutcome ScreenPage::SaveLibraryItem() {
  if (!item_) return LibraryOutcome::Failed("no animation is chosen");
  if (!StoreFrames()) return LibraryOutcome::Failed("the frames could not be stored");
  const LibraryOutcome shown = service_.Library().ApplyToScreen(screen_, frames_);
  RefreshScreens();
  return shown;
}

void ScreenPage::OnSaveClicked() {
  if (!item_) return;
  const LibraryOutcome saved = SaveLibraryItem();
  if (saved.done) return;
  Tell(text::kLcdSaveFailedCaption,
       Text(frames_.empty() ? text::kLcdEmptyAnimation : text::kLcdSaveFailed));
}

// Tasks ------------------------------------------------------------------------------------------

bool ScreenPage::QueueIfIdle(int code) {
  // One long task at a time: what the user asks while another waits is not queued behind it.
  return tasks_.AppendIfEmpty(code);
}

bool ScreenPage::StartImport(const fs::path& file) {
  std::error_code error;
  if (!fs::is_regular_file(file, error)) return false;
  lastImport_.reset();
  service_.RequestImport(file);
  return QueueIfIdle(task::kImportMedia);
}

void ScreenPage::FinishImport() {
  std::optional<LibraryOutcome> result = service_.TakeImportResult();
  host_.CloseWaitDialog();
  lastImport_ = result ? Finished<LibraryOutcome>{true, std::move(*result)}
                       : Finished<LibraryOutcome>{false, {}};
  if (lastImport_->ran && lastImport_->result.done) {
    FillLibrary(lastImport_->result.ledId);
    SelectLibraryItem(lastImport_->result.ledId);
  }
}

void ScreenPage::OnImportClicked() {
  const std::optional<std::string> file = host_.AskOpenFile(kImportFilter);
  if (!file || !StartImport(*file)) return;
  host_.ShowWaitDialog(Text(text::kLoading));
  if (!lastImport_) return;  // closed before the task ended (the keyboard was switched)
  if (!lastImport_->ran) {
    Tell(text::kImportFailedCaption, Text(text::kHomeNoKeyboard));
  } else if (!lastImport_->result.done) {
    Tell(text::kImportFailedCaption,
         base::Format(Text(text::kLcdImportFailed), fs::path(*file).filename().string()));
  }
}

bool ScreenPage::StartExport(const fs::path& file) {
  if (!item_ || frames_.empty() || file.empty()) return false;
  lastExport_.reset();
  service_.RequestExport(frames_, file);
  return QueueIfIdle(task::kCloseWaitDialog);
}

void ScreenPage::FinishExport() {
  std::optional<ExportResult> result = service_.TakeExportResult();
  host_.CloseWaitDialog();
  lastExport_ =
      result ? Finished<ExportResult>{true, std::move(*result)} : Finished<ExportResult>{false, {}};
}

void ScreenPage::OnExportClicked() {
  if (!item_) return;
  if (frames_.empty()) {
    Tell(text::kExportFailedCaption, Text(text::kLcdEmptyAnimation));
    return;
  }
  const std::optional<std::string> file = host_.AskSaveFile(kExportFilter, item_->name + ".gif");
  if (!file || !StartExport(*file)) return;
  host_.ShowWaitDialog(Text(text::kPleaseWait));
  if (!lastExport_) return;
  if (!lastExport_->ran) {
    Tell(text::kExportFailedCaption, Text(text::kHomeNoKeyboard));
  } else if (!lastExport_->result.outcome.done) {
    Tell(text::kExportFailedCaption, base::Format(Text(text::kLcdExportFailed), *file));
  }
}

bool ScreenPage::StartUpload() {
  if (!QueueIfIdle(task::kUploadScreenMedia)) return false;
  lastUpload_.reset();
  {
    std::lock_guard lock(progressMutex_);
    lastUploadLine_.clear();
  }
  if (Tessel::MControl* button = host_.FindControl(ids::kUploadButton)) button->SetEnabled(false);
  return true;
}

void ScreenPage::FinishUpload() {
  std::optional<UploadResult> result = service_.TakeUploadResult();
  if (auto* dialog =
          dynamic_cast<Tessel::MDialog*>(Tessel::Manager::FindWindow(UploadWaitDlg::kWindowName))) {
    dialog->DoOK();
  }
  if (Tessel::MControl* button = host_.FindControl(ids::kUploadButton)) button->SetEnabled(true);
  lastUpload_ =
      result ? Finished<UploadResult>{true, std::move(*result)} : Finished<UploadResult>{false, {}};
}

void ScreenPage::OnUploadClicked() {
  if (!StartUpload()) return;
  UploadWaitDlg wait(Text(text::kLcdUploading));
  host_.RunDialog(wait, Text(text::kLcdUploadCaption), 600, 150);
  if (!lastUpload_) return;
  if (!lastUpload_->ran) {
    Tell(text::kLcdUploadCaption, Text(text::kHomeNoKeyboard));
  } else if (!lastUpload_->result.Succeeded()) {
    Tell(text::kLcdUploadCaption,
         base::Format(Text(text::kLcdUploadFailed), UploadProblem(lastUpload_->result)));
  }
}

void ScreenPage::ShowUploadProgress(int percent, const std::string& line) {
  {
    std::lock_guard lock(progressMutex_);
    lastUploadLine_ = line;
  }
  host_.RunOnUiThread([percent, line] {
    if (auto* dialog =
            dynamic_cast<UploadWaitDlg*>(Tessel::Manager::FindWindow(UploadWaitDlg::kWindowName))) {
      dialog->ShowProgress(percent, line);
    }
  });
}

std::string ScreenPage::LastUploadLine() const {
  std::lock_guard lock(progressMutex_);
  return lastUploadLine_;
}

std::string ScreenPage::UploadProblem(const UploadResult& result) const {
  switch (result.status) {
    case ScreenStatus::kDone:
      return {};
    case ScreenStatus::kNoSources:
      return Text(text::kUploadNothingFound);
    case ScreenStatus::kNoScreenChannel:
      return Text(text::kUploadNoScreenChannel);
    case ScreenStatus::kConversionFailed:
      return Text(text::kUploadConvertFailed);
    case ScreenStatus::kImageUnusable:
      return Text(text::kUploadUnusableImage);
    case ScreenStatus::kDoesNotFit:
      return Text(text::kUploadDoesNotFit);
    case ScreenStatus::kLinkFailed:
      return Text(text::kLcdLinkFailed);
    case ScreenStatus::kStopped:
      return Text(text::kUploadStopped);
    case ScreenStatus::kPartlyWritten:
      break;
  }
  std::string text = Text(text::kUploadNotWritten);
  for (const std::string& name : result.NotWritten()) text += " " + name;
  return text;
}

bool ScreenPage::StartClockSync() {
  lastClock_.reset();
  return QueueIfIdle(task::kSyncScreenClock);
}

void ScreenPage::FinishClockSync() {
  std::optional<ScreenStatus> result = service_.TakeClockResult();
  lastClock_ = result ? Finished<ScreenStatus>{true, *result}
                      : Finished<ScreenStatus>{false, ScreenStatus::kLinkFailed};
  if (!clockAsked_) return;
  clockAsked_ = false;
  if (!lastClock_->ran) {
    Tell(text::kLcdUploadCaption, Text(text::kHomeNoKeyboard));
  } else if (lastClock_->result != ScreenStatus::kDone) {
    Tell(text::kLcdUploadCaption, Text(text::kLcdClockFailed));
  }
}

void ScreenPage::OnClockClicked() {
  clockAsked_ = StartClockSync();
}

}  // namespace screen
