#pragma once
// The media library of the keyboard's screen: animations kept as folders of PNG frames with a
// delay per frame (<data folder>/led/<model>/<item>/), their rows in the settings database, and
// what each of the three screens shows (<data folder>/default_gif/<model>/<screen>.gif with its
// row and a still of its first frame in <data folder>/default_led/<model>/<screen>.png).
//
// The library and the screen rows are shared by every profile: they are stored under profile 1,
// whatever profile is active. Worker-side: no toolkit; every operation may run on any thread
// (the database serialises itself, the place is kept under a lock).

#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "screen/MediaFiles.h"
#include "screen/ScreenMedia.h"

namespace storage {
class SettingsDatabase;
struct LedLayerRecord;
}  // namespace storage

namespace screen {

// The folders of one keyboard model.
struct LibraryPlace {
  std::filesystem::path appFolder;   // holds gif/<model>/ and default_gif/<model>/
  std::filesystem::path dataFolder;  // the user's data folder
  std::string model;                 // the model's folder name
  bool operator==(const LibraryPlace&) const = default;
};

struct LibraryItem {
  int ledId = 0;
  std::string name;
  // Empty when the stored folder name is not one plain path component: such an item is shown
  // but nothing is read, written or deleted through it.
  std::filesystem::path folder;
  int frameCount = 0;
  std::filesystem::path firstFrame;  // empty when the item has no frame
  bool operator==(const LibraryItem&) const = default;
};

// One of the screens as the screen list shows it.
struct ScreenEntry {
  int screen = 0;
  int rowId = 0;
  int frameCount = 0;
  std::filesystem::path gif;      // what an upload would send (the user's GIF, else the factory's)
  bool userChoice = false;        // the user chose it
  std::filesystem::path picture;  // the still of its first frame, when there is one
};

// Whether a stored name can name a folder or file inside the library: not empty, not "." or
// "..", no separator and no zero byte.
bool IsPlainFolderName(std::string_view name);

// "%04d%02d%02d%02d%02d%02d%03d": year, month, day, hour, minute, second and millisecond of the
// local time.
std::string TimeStampOf(std::chrono::system_clock::time_point when);

// The library's folders: <data folder>/led/<model>/ and <data folder>/default_led/<model>/.
std::filesystem::path LibraryFolder(const LibraryPlace& place);
std::filesystem::path ScreenStillFolder(const LibraryPlace& place);

// The outcome of an operation the user asked for: done, or why not (diagnostics; the page
// shows its own words).
struct LibraryOutcome {
  bool done = false;
  int ledId = 0;  // the item made (import, new item)
  std::string problem;
  static LibraryOutcome Failed(std::string problem) { return {false, 0, std::move(problem)}; }
};

class ScreenLibrary {
 public:
  // The log lines of saving a screen (texts 1200 to 1206); an empty text makes the library use
  // its own English words.
  using TextLookup = std::function<std::string(int textId)>;

  explicit ScreenLibrary(storage::SettingsDatabase& database, TextLookup texts = {});

  // The model the library belongs to now.
  void SetPlace(LibraryPlace place);
  LibraryPlace Place() const;

  // The items in the order they were made.
  std::vector<LibraryItem> ListItems();
  std::optional<LibraryItem> FindItem(int ledId);
  // The item's frames in their order, each with its file inside the item's folder; frames
  // whose stored file name is not a plain name are left out.
  std::vector<LibraryFrame> LoadFrames(const LibraryItem& item);

  // The first visit of a model: with an empty library, the user's screen GIFs are restored
  // from the shipped ones where missing, and every screen's animation becomes a library item.
  // The number of items made.
  int SeedIfEmpty();
  // The three screens, each with its row (rows that are missing are added first).
  std::vector<ScreenEntry> ListScreens();

  // A picture or animation (GIF, PNG, JPEG) as a new item; nothing is kept when it cannot be
  // read or stored.
  LibraryOutcome Import(const std::filesystem::path& file,
                        const ImportDelays& delays = {kStillFrameDelayMs, kSeedFrameDelayMs});
  // A new item with one black frame of the screen's size.
  LibraryOutcome CreateItem();
  // The item's row and frames go; its folder goes only when its name is a plain name.
  LibraryOutcome DeleteItem(int ledId);
  // Stores the frames as the item's frames (rows replaced in one transaction). Every frame's
  // file must lie in the item's folder.
  LibraryOutcome StoreFrames(const LibraryItem& item, const std::vector<LibraryFrame>& frames);
  // Makes the frames the animation of a screen (0 to 2): its GIF, its still and its row. An
  // empty frame list is refused and changes nothing.
  LibraryOutcome ApplyToScreen(int screen, const std::vector<LibraryFrame>& frames);
  // Writes the frames as a GIF of the screen's size to a file of the user's choice.
  static LibraryOutcome Export(const std::vector<LibraryFrame>& frames,
                               const std::filesystem::path& gif);

  // A new name for an item or a frame file: the time stamp of now, made later than every name
  // given before and unused in `folder`.
  std::string NewName(const std::filesystem::path& folder, std::string_view extension = {});

 private:
  LibraryItem ItemOf(const storage::LedLayerRecord& row) const;
  LibraryOutcome AddItem(const std::string& name, const std::vector<LibraryFrame>& frames);
  bool EnsureScreenRows();
  LibraryOutcome NoteScreen(int screen, const std::filesystem::path& gif,
                            const std::vector<LibraryFrame>& frames);
  void RestoreUserGifs(const LibraryPlace& place);
  std::string Text(int textId) const;

  storage::SettingsDatabase& database_;
  TextLookup texts_;
  mutable std::mutex mutex_;
  std::mutex seedMutex_;
  LibraryPlace place_;
  std::chrono::time_point<std::chrono::system_clock, std::chrono::milliseconds> lastName_{};
};

}  // namespace screen
