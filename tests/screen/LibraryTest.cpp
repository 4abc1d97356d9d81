// The screen's media library: items shared by every profile, the first visit, a screen's
// animation and row, exports, and names that cannot be trusted as folder names.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "ScreenTestSupport.h"
#include "media/ImageFiles.h"
#include "screen/ScreenLibrary.h"
#include "storage/SettingsDatabase.h"

namespace screen::testing {
namespace {

class Library : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(database.OpenForKeyboard(temp / "db", "Tarvo K9"));
    library.SetPlace({appFolder, dataFolder, kModel});
  }

  static void Put(const fs::path& path, const media::Animation& animation) {
    fs::create_directories(path.parent_path());
    ASSERT_TRUE(media::WriteGifFile(path, animation));
  }

  // The frames of a stored item, decoded.
  std::vector<media::Frame> Decoded(const std::vector<LibraryFrame>& frames) {
    std::vector<media::Frame> decoded;
    for (const LibraryFrame& frame : frames) {
      const auto read = media::ReadImageFile(frame.file);
      EXPECT_TRUE(read.has_value()) << frame.file;
      if (read) decoded.push_back({read->frames.front().picture, frame.delayMs});
    }
    return decoded;
  }

  std::vector<storage::ScreenImageRecord> ScreenRows() {
    std::vector<storage::ScreenImageRecord> rows;
    database.ListScreenImages(rows);
    return rows;
  }

  TempFolder temp;
  const fs::path appFolder = temp / "app";
  const fs::path dataFolder = temp / "Tarvo Files";
  storage::SettingsDatabase database;
  ScreenLibrary library{database};
};

TEST_F(Library, AnImportIsStoredUnderProfileOneWithEveryFrameAndDelay) {
  const media::Animation source = Stripes(4, 3, 60);
  Put(temp / "in.gif", source);
  const LibraryOutcome imported = library.Import(temp / "in.gif");
  ASSERT_TRUE(imported.done) << imported.problem;

  storage::LedLayerRecord row;
  ASSERT_TRUE(database.GetLedLayer(imported.ledId, row));
  EXPECT_EQ(row.profile, 1) << "the library is read under profile 1";
  const std::vector<LibraryItem> items = library.ListItems();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].frameCount, 3);
  EXPECT_EQ(items[0].firstFrame, items[0].folder / "0.png");
  EXPECT_EQ(items[0].folder.parent_path(), dataFolder / "led" / kModel);

  const std::vector<media::Frame> frames = Decoded(library.LoadFrames(items[0]));
  EXPECT_EQ(frames, source.frames);
}

TEST_F(Library, AStillPictureIsOneFrameOfTenMilliseconds) {
  ASSERT_TRUE(media::WritePngFile(temp / "still.png", Stripes(1, 1, 0).frames[0].picture));
  const LibraryOutcome imported = library.Import(temp / "still.png");
  ASSERT_TRUE(imported.done) << imported.problem;
  const std::vector<LibraryFrame> frames = library.LoadFrames(*library.FindItem(imported.ledId));
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].delayMs, 10);
}

TEST_F(Library, AFileThatIsNoPictureLeavesNothingBehind) {
  std::ofstream(temp / "broken.gif") << "GIF89a and then nothing sensible";
  const LibraryOutcome imported = library.Import(temp / "broken.gif");
  EXPECT_FALSE(imported.done);
  EXPECT_TRUE(library.ListItems().empty());
  std::error_code error;
  EXPECT_TRUE(fs::is_empty(dataFolder / "led" / kModel, error) || error);
}

TEST_F(Library, TheFirstVisitTakesEachScreensAnimationAndKeepsARowPerScreen) {
  Put(appFolder / "gif" / kModel / "0.gif", Stripes(1, 2, 0));
  Put(appFolder / "gif" / kModel / "1.gif", Stripes(2, 1, 0));
  // The shipped copy of the user's folder is restored where the user has none.
  Put(appFolder / "default_gif" / kModel / "1.gif", Stripes(3, 4, 80));

  EXPECT_EQ(library.SeedIfEmpty(), 2);
  EXPECT_EQ(library.SeedIfEmpty(), 0) << "only an empty library is seeded";
  const std::vector<LibraryItem> items = library.ListItems();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_LT(items[0].name, items[1].name) << "names are time stamps, later ones larger";
  EXPECT_EQ(items[0].name.size(), 17u);
  EXPECT_EQ(items[0].frameCount, 2);
  EXPECT_EQ(items[1].frameCount, 4) << "screen 1 from the restored user GIF";
  const std::vector<LibraryFrame> first = library.LoadFrames(items[0]);
  EXPECT_EQ(first[0].delayMs, 100) << "a frame without a delay";

  const auto rows = ScreenRows();
  ASSERT_EQ(rows.size(), 3u) << "every screen keeps its row";
  EXPECT_EQ(rows[0].frame_size, 2);
  EXPECT_EQ(rows[1].frame_size, 4);
  EXPECT_EQ(rows[2].frame_size, 0);
  const std::vector<ScreenEntry> screens = library.ListScreens();
  ASSERT_EQ(screens.size(), 3u);
  EXPECT_TRUE(screens[1].userChoice);
  EXPECT_EQ(screens[0].picture, dataFolder / "default_led" / kModel / "0.png");
  EXPECT_TRUE(screens[2].gif.empty());
}

TEST_F(Library, AScreenTakesTheFramesAsItsGifAndRowAndNothingElseChanges) {
  Put(temp / "in.gif", Stripes(5, 3, 70));
  const LibraryOutcome imported = library.Import(temp / "in.gif");
  ASSERT_TRUE(imported.done);
  const std::vector<LibraryFrame> frames = library.LoadFrames(*library.FindItem(imported.ledId));
  library.ListScreens();
  const auto before = ScreenRows();

  EXPECT_FALSE(library.ApplyToScreen(2, {}).done) << "an empty frame list is never applied";
  EXPECT_FALSE(library.ApplyToScreen(3, frames).done);
  EXPECT_EQ(ScreenRows()[2].frame_size, before[2].frame_size);
  EXPECT_FALSE(fs::exists(UserScreenGif(dataFolder, kModel, 2)));

  ASSERT_TRUE(library.ApplyToScreen(2, frames).done);
  const auto rows = ScreenRows();
  EXPECT_EQ(rows[2].frame_size, 3);
  EXPECT_EQ(rows[2].file_name, UserScreenGif(dataFolder, kModel, 2).string());
  EXPECT_EQ(rows[0].file_name, before[0].file_name);
  EXPECT_FALSE(fs::exists(UserScreenGif(dataFolder, kModel, 0)));
  const auto written = media::ReadGifFile(UserScreenGif(dataFolder, kModel, 2));
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->frames, Stripes(5, 3, 70).frames) << "a GIF round trip keeps the frames";
  for (const auto& entry :
       fs::directory_iterator(UserScreenGif(dataFolder, kModel, 2).parent_path()))
    EXPECT_EQ(entry.path().extension(), ".gif") << "no temporary file is left";
}

TEST_F(Library, ExportWritesTheGifOrReportsWhyNot) {
  Put(temp / "in.gif", Stripes(6, 2, 120));
  const LibraryOutcome imported = library.Import(temp / "in.gif");
  ASSERT_TRUE(imported.done);
  const std::vector<LibraryFrame> frames = library.LoadFrames(*library.FindItem(imported.ledId));

  ASSERT_TRUE(ScreenLibrary::Export(frames, temp / "out.gif").done);
  const auto exported = media::ReadGifFile(temp / "out.gif");
  ASSERT_TRUE(exported.has_value());
  EXPECT_EQ(exported->frames, Stripes(6, 2, 120).frames);
  EXPECT_FALSE(ScreenLibrary::Export(frames, temp / "no such folder" / "out.gif").done);
  EXPECT_FALSE(ScreenLibrary::Export({}, temp / "empty.gif").done);
  EXPECT_FALSE(fs::exists(temp / "empty.gif"));
}

TEST_F(Library, NamesThatAreNoPlainFolderNameDeleteNothing) {
  for (const char* name : {"", ".", "..", "../x", "a/b"})
    EXPECT_FALSE(IsPlainFolderName(name)) << name;
  EXPECT_TRUE(IsPlainFolderName("20240305090745123"));

  // Rows made by hand with names that would reach outside the library.
  fs::create_directories(dataFolder / "led" / "x");
  std::ofstream(dataFolder / "led" / "x" / "keep.png") << "x";
  fs::create_directories(dataFolder / "led" / kModel);
  std::ofstream(dataFolder / "led" / kModel / "keep.png") << "x";
  for (const char* name : {"", "../x"}) {
    const int id = database.AddLedLayer(1, name);
    ASSERT_GT(id, 0);
    const std::optional<LibraryItem> item = library.FindItem(id);
    ASSERT_TRUE(item.has_value());
    EXPECT_TRUE(item->folder.empty()) << name;
    EXPECT_TRUE(library.LoadFrames(*item).empty());
    EXPECT_FALSE(library.StoreFrames(*item, {{dataFolder / "led" / "x" / "keep.png", 30}}).done);
    EXPECT_TRUE(library.DeleteItem(id).done) << "the row goes";
  }
  EXPECT_TRUE(fs::exists(dataFolder / "led" / "x" / "keep.png"));
  EXPECT_TRUE(fs::exists(dataFolder / "led" / kModel / "keep.png"));

  const LibraryOutcome plain = library.CreateItem();
  ASSERT_TRUE(plain.done);
  const fs::path folder = library.FindItem(plain.ledId)->folder;
  EXPECT_TRUE(fs::exists(folder / "0.png"));
  EXPECT_TRUE(library.DeleteItem(plain.ledId).done);
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_TRUE(library.ListItems().empty());
}

TEST_F(Library, FramesAreStoredOnlyFromTheItemsOwnFolder) {
  const LibraryOutcome made = library.CreateItem();
  ASSERT_TRUE(made.done);
  const LibraryItem item = *library.FindItem(made.ledId);
  std::vector<LibraryFrame> frames = library.LoadFrames(item);
  ASSERT_EQ(frames.size(), 1u);
  const fs::path copy = item.folder / library.NewName(item.folder, ".png");
  fs::copy_file(frames[0].file, copy);
  frames.insert(frames.begin(), {copy, 250});
  ASSERT_TRUE(library.StoreFrames(item, frames).done);
  EXPECT_EQ(library.LoadFrames(item), frames);
  EXPECT_EQ(library.FindItem(made.ledId)->firstFrame, copy);

  EXPECT_FALSE(library.StoreFrames(item, {{temp / "elsewhere.png", 30}}).done);
  EXPECT_EQ(library.LoadFrames(item), frames) << "a refused list changes nothing";
}

}  // namespace
}  // namespace screen::testing
