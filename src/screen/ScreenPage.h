#pragma once
// The screen page (main page 6): the three screens and what each shows, the library of
// animations, the frames of the animation chosen, the canvas that edits one frame, the colours
// to draw with, and the buttons that import, export, upload and set the screen's clock.
//
// The library is kept as it is edited: a stroke on the canvas is written into the frame's file
// when it ends, and a change of the frame list (a frame added, copied, removed, its delay
// changed) is stored at once, so nothing the user did waits in memory to be lost. Save makes
// the animation the chosen screen's (its GIF and row), which the next upload sends.
//
// Everything here runs on the UI thread, except ShowUploadProgress (the worker's progress
// lines, posted to the UI thread).

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "screen/ScreenService.h"
#include "ui/tessel/ImageView.h"
#include "ui/tessel/Types.h"

class DeviceTaskQueue;
struct SharedState;
namespace core {
class TextTable;
}
namespace storage {
class SettingsDatabase;
}
namespace Tessel {
class PageHost;
class ThumbnailList;
}  // namespace Tessel

namespace screen {

// The canvas's text tool draws with the desktop's fonts.
std::optional<Tessel::TextMask> RasterizeForCanvas(const std::string& text, int pixelSize);

// How a task of the page ended: it ran (with its result), or it was dropped because no
// keyboard was there.
template <class Result>
struct Finished {
  bool ran = false;
  Result result{};
};

class ScreenPage {
 public:
  ScreenPage(Tessel::PageHost& host, SharedState& state, storage::SettingsDatabase& database,
             const core::TextTable& texts, DeviceTaskQueue& tasks, ScreenService& service);

  // A control of the page reported a user action; false when it is none of the page's.
  bool OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2);
  // The texts that depend on what the page shows.
  void ApplyTexts();

  // The page filled again: the screens, the library with its first item shown, the preset
  // colours of the current profile.
  void LoadLcdPage();
  void RefreshScreens();

  // The operations of the controls, also for tarvoctl. Each returns whether it was done.
  bool SelectScreen(int screen);
  bool SelectLibraryItem(int ledId);
  bool SelectFrame(int position);
  LibraryOutcome NewLibraryItem();
  LibraryOutcome DeleteLibraryItem(int ledId);
  // The item's frames stored, and the chosen screen shows them.
  LibraryOutcome SaveLibraryItem();
  bool AddPictureFrame(const std::filesystem::path& picture);
  bool CopyFrame();
  bool DeleteFrame();
  // Clamped to 30..500 ms; on the current frame or on every frame.
  bool SetFrameDelay(int delayMs, bool allFrames);
  // The colour the preset chosen last takes (stored for the profile) and the canvas draws with;
  // `from` is the control it came from, which is not rewritten.
  void SetLcdColor(Tessel::Color color, int from = 0);
  bool ChoosePreset(int index);

  // Tasks for the worker; false when the queue is busy (nothing is queued then) or there is
  // nothing to do.
  bool StartImport(const std::filesystem::path& file);
  bool StartExport(const std::filesystem::path& file);
  bool StartUpload();
  bool StartClockSync();

  // The epilogues of tasks 27, 24, 26 and 29: they run whether the task ran or was dropped.
  void FinishImport();
  void FinishExport();
  void FinishUpload();
  void FinishClockSync();

  // Any thread: a progress line of the upload.
  void ShowUploadProgress(int percent, const std::string& line);

  // What the page shows and last heard.
  int CurrentScreen() const { return screen_; }
  std::optional<LibraryItem> CurrentItem() const { return item_; }
  const std::vector<LibraryFrame>& Frames() const { return frames_; }
  int CurrentFrame() const { return frame_; }
  int CurrentPreset() const { return preset_; }
  // Empty while the task has not finished, or when it was dropped.
  const std::optional<Finished<LibraryOutcome>>& LastImport() const { return lastImport_; }
  const std::optional<Finished<ExportResult>>& LastExport() const { return lastExport_; }
  const std::optional<Finished<UploadResult>>& LastUpload() const { return lastUpload_; }
  const std::optional<Finished<ScreenStatus>>& LastClockSync() const { return lastClock_; }
  // The upload's last progress line.
  std::string LastUploadLine() const;
  // The words for what went wrong with an upload.
  std::string UploadProblem(const UploadResult& result) const;

  std::string Text(int id) const;

 private:
  // The user's actions, with their questions and messages.
  void OnImportClicked();
  void OnExportClicked();
  void OnUploadClicked();
  void OnClockClicked();
  void OnDeleteItemClicked();
  void OnDeleteFrameClicked();
  void OnAddPictureClicked();
  void OnSaveClicked();
  void OnCopyFrameClicked() { CopyFrame(); }
  void OnNewClicked() { NewLibraryItem(); }
  void OnFrameDoubleClicked(int position);
  void OnCanvasEdited();
  void OnUndoClicked();
  void OnToolChosen(int id);
  void OnTextEdited();
  void OnFontSizeEdited();
  void OnRgbEdited(int id, bool commit);
  bool HandleClick(int id);
  void Tell(int captionId, const std::string& message);

  // Showing.
  void FillLibrary(int select);
  void ShowItem(const std::optional<LibraryItem>& item);
  void FillFrames();
  void ShowFrameOnCanvas();
  void UpdateUndoButton();
  void RefreshItemTile();
  void LoadPresets();
  void ShowColor(Tessel::Color color, int except);
  std::string FrameCountText(int frames) const;
  std::string DelayText(int delayMs) const;
  std::string ItemCaption(const LibraryItem& item) const;

  // Keeping the library as it is edited.
  bool StoreFrames();
  bool WriteCanvasToFrame();
  void RemoveUnusedFiles(const std::vector<std::filesystem::path>& files);
  std::filesystem::path NewFrameFile();

  std::string FieldText(int id) const;
  Tessel::ImageView* Canvas() const;
  Tessel::ThumbnailList* List(int id) const;
  bool QueueIfIdle(int code);

  Tessel::PageHost& host_;
  SharedState& state_;
  storage::SettingsDatabase& database_;
  const core::TextTable& texts_;
  DeviceTaskQueue& tasks_;
  ScreenService& service_;

  int screen_ = 0;
  std::optional<LibraryItem> item_;
  std::vector<LibraryFrame> frames_;
  int frame_ = -1;
  int preset_ = 0;
  std::vector<Tessel::Color> presets_;

  std::optional<Finished<LibraryOutcome>> lastImport_;
  std::optional<Finished<ExportResult>> lastExport_;
  std::optional<Finished<UploadResult>> lastUpload_;
  std::optional<Finished<ScreenStatus>> lastClock_;
  bool clockAsked_ = false;  // the clock button, not tarvoctl, asked: its failure is told
  mutable std::mutex progressMutex_;
  std::string lastUploadLine_;
};

}  // namespace screen
