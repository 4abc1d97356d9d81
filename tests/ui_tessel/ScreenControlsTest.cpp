// The screen page's own controls: the canvas that computes its pixels (pen, eraser, text,
// undo) and the list of pictures.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "ui/tessel/HeadlessBackend.h"
#include "ui/tessel/ImageView.h"
#include "ui/tessel/MWindow.h"
#include "ui/tessel/Manager.h"
#include "ui/tessel/ThumbnailList.h"

namespace Tessel {
namespace {

class Recorder : public MWindow {
 public:
  Recorder() : MWindow("recorder") {}
  void OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override {
    events.push_back({id, code, arg1, arg2});
  }
  struct Event {
    int id, code;
    std::intptr_t arg1, arg2;
    bool operator==(const Event&) const = default;
  };
  std::vector<Event> events;
};

class ScreenControlsTest : public ::testing::Test {
 protected:
  ScreenControlsTest() { Manager::SetBackend(&backend_); }
  ~ScreenControlsTest() override { Manager::SetBackend(nullptr); }

  // Where the canvas holds a colour, as "x,y" pairs.
  std::vector<std::pair<int, int>> PaintedWith(Color color) {
    std::vector<std::pair<int, int>> points;
    for (int y = 0; y < canvas_.GetPictureHeight(); ++y) {
      for (int x = 0; x < canvas_.GetPictureWidth(); ++x) {
        if (canvas_.GetPixel(x, y) == color) points.emplace_back(x, y);
      }
    }
    return points;
  }

  HeadlessBackend backend_;
  Recorder window_;
  ImageView canvas_{window_, 5};
  ThumbnailList list_{window_, 6};
};

TEST_F(ScreenControlsTest, AQuickPenStrokeLeavesAnUnbrokenLineAndReportsWhenItEnds) {
  canvas_.SetColorValue(0x0000FF);
  canvas_.UserPress(0, 0);
  canvas_.UserDrag(10, 5);  // one move across many pixels
  EXPECT_TRUE(window_.events.empty()) << "nothing is reported before the stroke ends";
  canvas_.UserRelease(10, 5);
  const auto line = PaintedWith(0x0000FF);
  ASSERT_EQ(line.size(), 11u);  // one pixel per column
  for (std::size_t i = 1; i < line.size(); ++i) {
    EXPECT_LE(std::abs(line[i].first - line[i - 1].first), 1);
  }
  EXPECT_EQ(line.front(), std::make_pair(0, 0));
  EXPECT_EQ(line.back(), std::make_pair(10, 5));
  EXPECT_TRUE(canvas_.IsModified());
  ASSERT_EQ(window_.events.size(), 1u);
  EXPECT_EQ(window_.events[0], (Recorder::Event{5, kEventValueChanged, 1, 0}));
}

TEST_F(ScreenControlsTest, TheEraserDrawsBlackSquaresAndUndoTakesEachEditBack) {
  canvas_.SetPicture(8, 8, std::vector<Color>(64, 0xFFFFFF));
  canvas_.SetDrawMode(ImageView::kDrawEraser);
  canvas_.SetEraserWidth(3);
  canvas_.UserPress(4, 4);
  canvas_.UserRelease(4, 4);
  EXPECT_EQ(PaintedWith(ImageView::kErased).size(), 9u);
  canvas_.UserPress(0, 0);  // cut off at the edge: a 2 x 2 corner
  canvas_.UserRelease(0, 0);
  EXPECT_EQ(PaintedWith(ImageView::kErased).size(), 13u);

  ASSERT_TRUE(canvas_.RecoverCurEdit());
  EXPECT_EQ(PaintedWith(ImageView::kErased).size(), 9u);
  ASSERT_TRUE(canvas_.RecoverCurEdit());
  EXPECT_EQ(PaintedWith(0xFFFFFF).size(), 64u);
  EXPECT_FALSE(canvas_.RecoverCurEdit());
  // A press outside the picture starts nothing.
  canvas_.UserPress(-1, 3);
  EXPECT_FALSE(canvas_.CanUndo());
}

TEST_F(ScreenControlsTest, UndoKeepsTheNewestEditsOnlyAndANewPictureForgetsThem) {
  canvas_.ClearPicture(16, 16);
  for (int i = 0; i < static_cast<int>(ImageView::kUndoDepth) + 6; ++i) {
    canvas_.UserPress(i % 16, i / 16);
    canvas_.UserRelease(i % 16, i / 16);
  }
  int undone = 0;
  while (canvas_.RecoverCurEdit()) ++undone;
  EXPECT_EQ(undone, static_cast<int>(ImageView::kUndoDepth));
  EXPECT_EQ(PaintedWith(0xFFFFFF).size(), 6u) << "the oldest edits stay";
  canvas_.UserPress(1, 1);
  canvas_.UserRelease(1, 1);
  canvas_.ClearPicture();
  EXPECT_FALSE(canvas_.CanUndo());
  EXPECT_FALSE(canvas_.IsModified());
}

TEST_F(ScreenControlsTest, TextIsBlendedFromItsCoverageAndCutAtTheEdges) {
  canvas_.ClearPicture(10, 10);
  canvas_.SetColorValue(Rgb(200, 100, 0));
  int askedSize = 0;
  canvas_.SetTextRasterizer([&](const std::string& text, int size) -> std::optional<TextMask> {
    askedSize = size;
    if (text == "bad") return TextMask{4, 4, {1, 2, 3}};  // a mask that does not add up
    return TextMask{4, 2, {255, 128, 0, 255, 255, 255, 255, 255}};
  });
  canvas_.SetFontSize(1000);
  ASSERT_TRUE(canvas_.AddText("ab", 8, 8));
  EXPECT_EQ(askedSize, ImageView::kLargestFontSize);
  EXPECT_EQ(canvas_.GetPixel(8, 8), Rgb(200, 100, 0));
  EXPECT_EQ(canvas_.GetPixel(9, 8), Rgb(100, 50, 0)) << "half coverage, half colour";
  EXPECT_EQ(canvas_.GetPixel(9, 9), Rgb(200, 100, 0));
  EXPECT_FALSE(canvas_.AddText("bad", 0, 0));
  EXPECT_FALSE(canvas_.AddText("", 0, 0));
  // The text mode stamps where the pointer goes down.
  canvas_.SetDrawMode(ImageView::kDrawText);
  canvas_.SetText("x");
  canvas_.UserPress(0, 0);
  EXPECT_EQ(canvas_.GetPixel(0, 1), Rgb(200, 100, 0));
  ASSERT_TRUE(canvas_.RecoverCurEdit());
  EXPECT_EQ(canvas_.GetPixel(0, 1), 0u);
}

TEST_F(ScreenControlsTest, TheListKeepsItsChoiceOnTheSameItemAndReadsPicturesAgain) {
  list_.AddPictureItem("a", 10, "a.png", "1 frame");
  list_.AddPictureItem("c", 30, "c.png");
  list_.UserSelect(1);
  list_.InsertPictureItem(1, "b", 20, "b.png");
  EXPECT_EQ(list_.GetCurData(), 30) << "the chosen item, now one further down";
  const std::uint64_t before = list_.GetItemRevision(0);
  list_.SetItemPicture(0, "a.png");
  EXPECT_GT(list_.GetItemRevision(0), before);
  EXPECT_TRUE(list_.RemoveItem(2));
  EXPECT_EQ(list_.GetCurData(), 20) << "the item before the removed one";
  EXPECT_TRUE(list_.RemoveItem(0));
  EXPECT_TRUE(list_.RemoveItem(0));
  EXPECT_EQ(list_.GetCurSel(), -1);
  EXPECT_FALSE(list_.RemoveItem(0));
  list_.AddPictureItem("d", 40, "d.png");
  list_.UserDoubleClick(0);
  list_.UserDoubleClick(3);  // no such item: nothing
  ASSERT_EQ(window_.events.size(), 2u);
  EXPECT_EQ(window_.events[1], (Recorder::Event{6, kEventDoubleClick, 0, 40}));
}

}  // namespace
}  // namespace Tessel
