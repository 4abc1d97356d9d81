#pragma once
// The worker side of the screen room: the library (shared with the page), and the four tasks
// the page hands to the device worker: importing a picture into the library (task 27), writing
// an animation to a GIF of the user's choice (task 24), uploading the screens' animations
// (task 26) and setting the screen's clock (task 29).
//
// The page asks for a task with Request*, which keeps what the task needs; the task's work
// runs on the worker and leaves its result, which the page takes in the task's epilogue on the
// UI thread (Take*). A task that was dropped leaves no result. No toolkit here.

#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

#include "screen/ScreenLibrary.h"
#include "screen/ScreenUpload.h"

namespace device {
class HidDeviceManager;
}

namespace screen {

struct ExportResult {
  std::filesystem::path file;
  LibraryOutcome outcome;
};

class ScreenService {
 public:
  ScreenService(device::HidDeviceManager& link, storage::SettingsDatabase& database,
                TextLookup texts);

  ScreenLibrary& Library() { return library_; }

  // The worker's pauses (false ends the upload or the clock at once), and where the upload's
  // progress lines go. Set before the worker starts.
  void SetWaiter(Waiter wait) { wait_ = std::move(wait); }
  void SetProgress(ProgressCallback progress) { progress_ = std::move(progress); }

  // Task 27.
  void RequestImport(std::filesystem::path file);
  void RunImport();
  std::optional<LibraryOutcome> TakeImportResult();

  // Task 24.
  void RequestExport(std::vector<LibraryFrame> frames, std::filesystem::path file);
  void RunExport();
  std::optional<ExportResult> TakeExportResult();

  // Task 26.
  void RunUpload();
  std::optional<UploadResult> TakeUploadResult();

  // Task 29.
  void RunClockSync();
  std::optional<ScreenStatus> TakeClockResult();

 private:
  ScreenUploadService Uploader();

  device::HidDeviceManager& link_;
  TextLookup texts_;
  ScreenLibrary library_;
  Waiter wait_;
  ProgressCallback progress_;

  std::mutex mutex_;
  std::optional<std::filesystem::path> importFile_;
  std::optional<LibraryOutcome> importResult_;
  std::optional<std::pair<std::vector<LibraryFrame>, std::filesystem::path>> exportRequest_;
  std::optional<ExportResult> exportResult_;
  std::optional<UploadResult> uploadResult_;
  std::optional<ScreenStatus> clockResult_;
};

}  // namespace screen
