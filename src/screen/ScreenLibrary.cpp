#include "screen/ScreenLibrary.h"

#include <ctime>
#include <system_error>

#include "base/Log.h"
#include "core/TextIds.h"
#include "media/FileIo.h"
#include "media/ImageFiles.h"
#include "storage/SettingsDatabase.h"

namespace screen {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

// The library and the screen rows are kept under profile 1 for every profile.
constexpr int kSharedProfile = 1;
// Frames and screen GIFs are small; anything larger is no file of the library.
constexpr std::size_t kMaxCopiedBytes = 64u * 1024 * 1024;

bool CopyAtomically(const fs::path& from, const fs::path& to, std::string* error) {
  const auto bytes = media::ReadFileBytes(from, kMaxCopiedBytes, error);
  return bytes && media::WriteFileAtomically(to, *bytes, error);
}

bool IsFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

// English words for the log lines of saving a screen.
std::string OwnText(int textId) {
  switch (textId) {
    case text::kScreenSaveBadScreen:
      return "There is no screen";
    case text::kScreenSaveScreen:
      return "Saving the animation of screen";
    case text::kScreenSaveScreenSuffix:
      return "...";
    case text::kScreenSavePreview:
      return "Screen picture:";
    case text::kScreenSaveDone:
      return "The screen's animation is saved.";
    default:
      return {};
  }
}

std::vector<storage::LedFrameRecord> FrameRows(const std::vector<LibraryFrame>& frames) {
  std::vector<storage::LedFrameRecord> rows;
  for (const LibraryFrame& frame : frames) {
    const std::string file = frame.file.filename().string();
    rows.push_back({0, 0, file, frame.delayMs, static_cast<int>(rows.size()), file});
  }
  return rows;
}

}  // namespace

bool IsPlainFolderName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

std::string TimeStampOf(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm local{};
  localtime_r(&seconds, &local);
  const auto millis =
      std::chrono::duration_cast<milliseconds>(when.time_since_epoch()).count() % 1000;
  char stamp[96];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d%02d%03d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<int>(millis < 0 ? millis + 1000 : millis));
  return stamp;
}

fs::path LibraryFolder(const LibraryPlace& place) {
  return place.dataFolder / "led" / place.model;
}

fs::path ScreenStillFolder(const LibraryPlace& place) {
  return place.dataFolder / "default_led" / place.model;
}

ScreenLibrary::ScreenLibrary(storage::SettingsDatabase& database, TextLookup texts)
    : database_(database), texts_(std::move(texts)) {}

void ScreenLibrary::SetPlace(LibraryPlace place) {
  std::lock_guard lock(mutex_);
  place_ = std::move(place);
}

LibraryPlace ScreenLibrary::Place() const {
  std::lock_guard lock(mutex_);
  return place_;
}

std::string ScreenLibrary::Text(int textId) const {
  std::string text = texts_ ? texts_(textId) : std::string();
  return text.empty() ? OwnText(textId) : text;
}

std::string ScreenLibrary::NewName(const fs::path& folder, std::string_view extension) {
  std::lock_guard lock(mutex_);
  auto when = std::chrono::floor<milliseconds>(std::chrono::system_clock::now());
  if (when <= lastName_) when = lastName_ + milliseconds(1);
  std::string name = TimeStampOf(when) + std::string(extension);
  std::error_code error;
  while (fs::exists(folder / name, error)) {
    when += milliseconds(1);
    name = TimeStampOf(when) + std::string(extension);
  }
  lastName_ = when;
  return name;
}

// Items --------------------------------------------------------------------------------------

LibraryItem ScreenLibrary::ItemOf(const storage::LedLayerRecord& row) const {
  LibraryItem item;
  item.ledId = row.led_id;
  item.name = row.name;
  item.frameCount = row.frame_size;
  if (!IsPlainFolderName(row.file_dir)) return item;
  item.folder = LibraryFolder(Place()) / row.file_dir;
  if (row.frame_size > 0 && IsPlainFolderName(row.first_file)) {
    item.firstFrame = item.folder / row.first_file;
  }
  return item;
}

std::vector<LibraryItem> ScreenLibrary::ListItems() {
  std::vector<storage::LedLayerRecord> rows;
  database_.ListLedLayers(rows);
  std::vector<LibraryItem> items;
  for (const storage::LedLayerRecord& row : rows) items.push_back(ItemOf(row));
  return items;
}

std::optional<LibraryItem> ScreenLibrary::FindItem(int ledId) {
  storage::LedLayerRecord row;
  if (ledId <= 0 || !database_.GetLedLayer(ledId, row)) return std::nullopt;
  return ItemOf(row);
}

std::vector<LibraryFrame> ScreenLibrary::LoadFrames(const LibraryItem& item) {
  std::vector<LibraryFrame> frames;
  if (item.folder.empty()) return frames;
  std::vector<storage::LedFrameRecord> rows;
  database_.ListLedFrames(item.ledId, rows);
  for (const storage::LedFrameRecord& row : rows) {
    if (!IsPlainFolderName(row.file_name)) {
      base::DebugLog("screen library: frame %d names no file of its item", row.frame_id);
      continue;
    }
    frames.push_back({item.folder / row.file_name, row.delay_time});
  }
  return frames;
}

LibraryOutcome ScreenLibrary::AddItem(const std::string& name,
                                      const std::vector<LibraryFrame>& frames) {
  const int ledId = database_.AddLedLayer(kSharedProfile, name);
  if (ledId <= 0) return LibraryOutcome::Failed("the item could not be stored");
  if (!database_.ReplaceLedFrames(ledId, FrameRows(frames))) {
    if (!database_.DeleteLedLayer(ledId)) base::ErrorLog("screen library: item %d stays", ledId);
    return LibraryOutcome::Failed("the item's frames could not be stored");
  }
  return {true, ledId, {}};
}

LibraryOutcome ScreenLibrary::Import(const fs::path& file, const ImportDelays& delays) {
  const LibraryPlace place = Place();
  if (place.model.empty()) return LibraryOutcome::Failed("no keyboard model");
  const std::string name = NewName(LibraryFolder(place));
  const fs::path folder = LibraryFolder(place) / name;
  std::string error;
  const auto frames = ImportPictureFrames(file, folder, delays, &error);
  LibraryOutcome outcome = frames ? AddItem(name, *frames) : LibraryOutcome::Failed(error);
  if (!outcome.done) {
    std::error_code removed;
    fs::remove_all(folder, removed);  // a fresh folder of this import alone
  }
  return outcome;
}

LibraryOutcome ScreenLibrary::CreateItem() {
  const LibraryPlace place = Place();
  if (place.model.empty()) return LibraryOutcome::Failed("no keyboard model");
  const std::string name = NewName(LibraryFolder(place));
  const fs::path folder = LibraryFolder(place) / name;
  std::error_code created;
  fs::create_directories(folder, created);
  const LibraryFrame blank{folder / "0.png", kSeedFrameDelayMs};
  std::string error;
  LibraryOutcome outcome =
      media::WritePngFile(blank.file, media::Picture(kScreenWidth, kScreenHeight), &error)
          ? AddItem(name, {blank})
          : LibraryOutcome::Failed(error);
  if (!outcome.done) {
    std::error_code removed;
    fs::remove_all(folder, removed);
  }
  return outcome;
}

LibraryOutcome ScreenLibrary::DeleteItem(int ledId) {
  const std::optional<LibraryItem> item = FindItem(ledId);
  if (!item) return LibraryOutcome::Failed("no such item");
  if (!database_.DeleteLedLayer(ledId)) return LibraryOutcome::Failed("the item stays stored");
  if (item->folder.empty()) {
    return {true, ledId, "its folder name is no plain name; no file was deleted"};
  }
  std::error_code error;
  fs::remove_all(item->folder, error);
  if (error) return {true, ledId, "its folder stays: " + error.message()};
  return {true, ledId, {}};
}

LibraryOutcome ScreenLibrary::StoreFrames(const LibraryItem& item,
                                          const std::vector<LibraryFrame>& frames) {
  if (item.folder.empty()) return LibraryOutcome::Failed("the item's folder name is no plain name");
  for (const LibraryFrame& frame : frames) {
    if (frame.file.parent_path() != item.folder ||
        !IsPlainFolderName(frame.file.filename().string())) {
      return LibraryOutcome::Failed(frame.file.string() + " is not in the item's folder");
    }
  }
  if (!database_.ReplaceLedFrames(item.ledId, FrameRows(frames))) {
    return LibraryOutcome::Failed("the frames could not be stored");
  }
  return {true, item.ledId, {}};
}

LibraryOutcome ScreenLibrary::Export(const std::vector<LibraryFrame>& frames, const fs::path& gif) {
  if (frames.empty()) return LibraryOutcome::Failed("the animation has no frame");
  std::string error;
  if (!WriteFramesAsGif(frames, gif, kScreenWidth, kScreenHeight, &error)) {
    return LibraryOutcome::Failed(error);
  }
  return {true, 0, {}};
}

// Screens --------------------------------------------------------------------------------------

bool ScreenLibrary::EnsureScreenRows() {
  auto lock = database_.Lock();
  std::vector<storage::ScreenImageRecord> rows;
  database_.ListScreenImages(rows);
  for (std::size_t screen = rows.size(); screen < kScreenCount; ++screen) {
    if (database_.AddScreenImage(0, "") <= 0) return false;
  }
  return true;
}

std::vector<ScreenEntry> ScreenLibrary::ListScreens() {
  const LibraryPlace place = Place();
  EnsureScreenRows();
  std::vector<storage::ScreenImageRecord> rows;
  database_.ListScreenImages(rows);
  const std::vector<ScreenSource> sources =
      CollectScreenSources(place.dataFolder, place.appFolder, place.model);
  std::vector<ScreenEntry> screens;
  for (int screen = 0; screen < kScreenCount; ++screen) {
    ScreenEntry entry;
    entry.screen = screen;
    if (static_cast<std::size_t>(screen) < rows.size()) {
      entry.rowId = rows[static_cast<std::size_t>(screen)].tft_id;
      entry.frameCount = rows[static_cast<std::size_t>(screen)].frame_size;
    }
    for (const ScreenSource& source : sources) {
      if (source.screen != screen) continue;
      entry.gif = source.gif;
      entry.userChoice = source.userChoice;
    }
    const fs::path still = ScreenStillFolder(place) / (std::to_string(screen) + ".png");
    if (IsFile(still)) entry.picture = still;
    screens.push_back(std::move(entry));
  }
  return screens;
}

LibraryOutcome ScreenLibrary::ApplyToScreen(int screen, const std::vector<LibraryFrame>& frames) {
  const LibraryPlace place = Place();
  if (screen < 0 || screen >= kScreenCount) {
    base::DebugLog("%s %d", Text(text::kScreenSaveBadScreen).c_str(), screen);
    return LibraryOutcome::Failed("there is no screen " + std::to_string(screen));
  }
  if (frames.empty()) return LibraryOutcome::Failed("an animation without frames is not shown");
  base::DebugLog("%s %d %s", Text(text::kScreenSaveScreen).c_str(), screen,
                 Text(text::kScreenSaveScreenSuffix).c_str());
  const fs::path gif = UserScreenGif(place.dataFolder, place.model, screen);
  std::error_code created;
  fs::create_directories(gif.parent_path(), created);
  std::string error;
  if (!WriteFramesAsGif(frames, gif, kScreenWidth, kScreenHeight, &error)) {
    return LibraryOutcome::Failed(error);
  }
  const LibraryOutcome noted = NoteScreen(screen, gif, frames);
  if (noted.done) base::DebugLog("%s", Text(text::kScreenSaveDone).c_str());
  return noted;
}

// The screen's still (its first frame) and its row.
LibraryOutcome ScreenLibrary::NoteScreen(int screen, const fs::path& gif,
                                         const std::vector<LibraryFrame>& frames) {
  const fs::path still = ScreenStillFolder(Place()) / (std::to_string(screen) + ".png");
  std::error_code created;
  fs::create_directories(still.parent_path(), created);
  std::string error;
  if (CopyAtomically(frames.front().file, still, &error)) {
    base::DebugLog("  [?] %s %s", Text(text::kScreenSavePreview).c_str(), still.c_str());
  } else {
    base::DebugLog("screen library: no still for screen %d: %s", screen, error.c_str());
  }
  EnsureScreenRows();
  std::vector<storage::ScreenImageRecord> rows;
  database_.ListScreenImages(rows);
  if (static_cast<std::size_t>(screen) >= rows.size() ||
      !database_.UpdateScreenImage(rows[static_cast<std::size_t>(screen)].tft_id,
                                   static_cast<int>(frames.size()), gif.string())) {
    return LibraryOutcome::Failed("the screen's row could not be stored");
  }
  return {true, 0, {}};
}

// First use ----------------------------------------------------------------------------------

void ScreenLibrary::RestoreUserGifs(const LibraryPlace& place) {
  for (int screen = 0; screen < kScreenCount; ++screen) {
    const fs::path user = UserScreenGif(place.dataFolder, place.model, screen);
    const fs::path shipped =
        place.appFolder / "default_gif" / place.model / (std::to_string(screen) + ".gif");
    if (IsFile(user) || !IsFile(shipped)) continue;
    std::error_code created;
    fs::create_directories(user.parent_path(), created);
    std::string error;
    if (!CopyAtomically(shipped, user, &error)) {
      base::DebugLog("screen library: %s not restored: %s", user.c_str(), error.c_str());
    }
  }
}

int ScreenLibrary::SeedIfEmpty() {
  std::lock_guard seeding(seedMutex_);
  const LibraryPlace place = Place();
  if (place.model.empty() || !ListItems().empty()) return 0;
  RestoreUserGifs(place);
  EnsureScreenRows();
  int made = 0;
  for (const ScreenSource& source :
       CollectScreenSources(place.dataFolder, place.appFolder, place.model)) {
    const LibraryOutcome item = Import(source.gif, {kSeedFrameDelayMs, kSeedFrameDelayMs});
    if (!item.done) {
      base::DebugLog("screen library: %s not taken: %s", source.gif.c_str(), item.problem.c_str());
      continue;
    }
    ++made;
    const std::optional<LibraryItem> stored = FindItem(item.ledId);
    if (!stored) continue;
    const std::vector<LibraryFrame> frames = LoadFrames(*stored);
    if (frames.empty()) continue;
    const LibraryOutcome shown = NoteScreen(source.screen, source.gif, frames);
    if (!shown.done) base::DebugLog("screen library: %s", shown.problem.c_str());
  }
  return made;
}

}  // namespace screen
