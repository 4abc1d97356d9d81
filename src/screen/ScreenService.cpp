#include "screen/ScreenService.h"

#include "base/Log.h"
#include "core/ThreadCheck.h"

namespace screen {

namespace fs = std::filesystem;

ScreenService::ScreenService(device::HidDeviceManager& link, storage::SettingsDatabase& database,
                             TextLookup texts)
    : link_(link), texts_(texts), library_(database, texts) {}

ScreenUploadService ScreenService::Uploader() {
  return ScreenUploadService(link_, texts_, progress_, wait_);
}

void ScreenService::RequestImport(fs::path file) {
  std::lock_guard lock(mutex_);
  importFile_ = std::move(file);
  importResult_.reset();
}

void ScreenService::RunImport() {
  TARVO_EXPECT_WORKER();
  std::optional<fs::path> file;
  {
    std::lock_guard lock(mutex_);
    file.swap(importFile_);
  }
  LibraryOutcome outcome = file ? library_.Import(*file) : LibraryOutcome::Failed("nothing chosen");
  if (!outcome.done) base::DebugLog("screen import: %s", outcome.problem.c_str());
  std::lock_guard lock(mutex_);
  importResult_ = std::move(outcome);
}

std::optional<LibraryOutcome> ScreenService::TakeImportResult() {
  std::lock_guard lock(mutex_);
  std::optional<LibraryOutcome> result;
  result.swap(importResult_);
  importFile_.reset();  // a dropped import forgets its file
  return result;
}

void ScreenService::RequestExport(std::vector<LibraryFrame> frames, fs::path file) {
  std::lock_guard lock(mutex_);
  exportRequest_.emplace(std::move(frames), std::move(file));
  exportResult_.reset();
}

void ScreenService::RunExport() {
  TARVO_EXPECT_WORKER();
  std::optional<std::pair<std::vector<LibraryFrame>, fs::path>> request;
  {
    std::lock_guard lock(mutex_);
    request.swap(exportRequest_);
  }
  if (!request) return;
  ExportResult result{request->second, ScreenLibrary::Export(request->first, request->second)};
  if (!result.outcome.done) base::DebugLog("screen export: %s", result.outcome.problem.c_str());
  std::lock_guard lock(mutex_);
  exportResult_ = std::move(result);
}

std::optional<ExportResult> ScreenService::TakeExportResult() {
  std::lock_guard lock(mutex_);
  std::optional<ExportResult> result;
  result.swap(exportResult_);
  exportRequest_.reset();
  return result;
}

void ScreenService::RunUpload() {
  TARVO_EXPECT_WORKER();
  const LibraryPlace place = library_.Place();
  UploadRequest request;
  request.appFolder = place.appFolder;
  request.dataFolder = place.dataFolder;
  request.model = place.model;
  UploadResult result = Uploader().UploadScreenMedia(request);
  std::lock_guard lock(mutex_);
  uploadResult_ = std::move(result);
}

std::optional<UploadResult> ScreenService::TakeUploadResult() {
  std::lock_guard lock(mutex_);
  std::optional<UploadResult> result;
  result.swap(uploadResult_);
  return result;
}

void ScreenService::RunClockSync() {
  TARVO_EXPECT_WORKER();
  const ScreenStatus status = Uploader().SyncScreenClock(ScreenUploadService::LocalClockTime());
  std::lock_guard lock(mutex_);
  clockResult_ = status;
}

std::optional<ScreenStatus> ScreenService::TakeClockResult() {
  std::lock_guard lock(mutex_);
  std::optional<ScreenStatus> result;
  result.swap(clockResult_);
  return result;
}

}  // namespace screen
