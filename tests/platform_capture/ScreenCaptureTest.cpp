#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "platform/capture/ScreenCapture.h"
#include "platform/capture/ScreenGrabber.h"
#include "platform/capture/WindowList.h"
#include "platform_capture/XvfbServer.h"

namespace {

using platform::CaptureState;
using platform::ColorGrid;
using platform::GrabResult;
using platform::ScreenCapture;
using platform::ScreenGrabber;
using platform::X11Connection;

constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kBlue = 0xFF0000;

bool AllCells(const ColorGrid& grid, std::uint32_t color) {
  return !grid.Empty() && std::all_of(grid.cells.begin(), grid.cells.end(),
                                      [&](std::uint32_t cell) { return cell == color; });
}

class CaptureOnXvfb : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Running()) << "Xvfb did not start";
    ASSERT_TRUE(client_.Connected());
  }

  XvfbServer server_{640, 480};
  TestClient client_{server_.Display()};
};

TEST_F(CaptureOnXvfb, ARedScreenGivesARedGrid) {
  client_.Open(0, 0, 640, 480, kRed, "red");
  const auto connection = X11Connection::Open(server_.Display().c_str());
  ASSERT_TRUE(connection);
  ScreenGrabber grabber(*connection);
  const auto grab = grabber.CaptureScreen(6, 23);
  ASSERT_EQ(GrabResult::Ok, grab.result);
  ASSERT_TRUE(grab.grid);
  EXPECT_EQ(6, grab.grid->rows);
  EXPECT_EQ(23, grab.grid->columns);
  EXPECT_TRUE(AllCells(*grab.grid, kRed));
  EXPECT_TRUE(grabber.UsedSharedMemory());
}

TEST_F(CaptureOnXvfb, TheScreenGridFollowsWhereColoursAre) {
  client_.Open(0, 0, 320, 480, kGreen, "left");
  client_.Open(320, 0, 320, 480, kBlue, "right");
  const auto connection = X11Connection::Open(server_.Display().c_str());
  ScreenGrabber grabber(*connection);
  const auto grab = grabber.CaptureScreen(2, 4);
  ASSERT_TRUE(grab.grid);
  EXPECT_EQ(
      (std::vector<std::uint32_t>{kGreen, kGreen, kBlue, kBlue, kGreen, kGreen, kBlue, kBlue}),
      grab.grid->cells);
}

TEST_F(CaptureOnXvfb, AWindowIsReadFromItsOwnPictureEvenWhenCovered) {
  const Window followed = client_.Open(50, 50, 200, 150, kGreen, "followed");
  client_.Open(100, 80, 300, 300, kBlue, "on top");
  const auto connection = X11Connection::Open(server_.Display().c_str());
  ScreenGrabber grabber(*connection);
  const auto grab = grabber.CaptureWindow(followed, 4, 8);
  ASSERT_EQ(GrabResult::Ok, grab.result);
  EXPECT_TRUE(grabber.UsedComposite());
  EXPECT_TRUE(AllCells(*grab.grid, kGreen));
}

TEST_F(CaptureOnXvfb, AClosedWindowIsReportedAndTheConnectionGoesOn) {
  const Window window = client_.Open(10, 10, 200, 200, kGreen, "closing");
  const auto connection = X11Connection::Open(server_.Display().c_str());
  ScreenGrabber grabber(*connection);
  ASSERT_EQ(GrabResult::Ok, grabber.CaptureWindow(window, 2, 2).result);
  client_.Close(window);
  EXPECT_EQ(GrabResult::WindowGone, grabber.CaptureWindow(window, 2, 2).result);
  EXPECT_EQ(GrabResult::WindowGone, grabber.CaptureWindow(window, 2, 2).result);
  EXPECT_FALSE(connection->Broken());
  EXPECT_EQ(GrabResult::Ok, grabber.CaptureScreen(2, 2).result);
}

TEST_F(CaptureOnXvfb, AnUnmappedWindowIsNotViewable) {
  const Window hidden = client_.Open(10, 10, 200, 200, kGreen, "hidden", false, false);
  const auto connection = X11Connection::Open(server_.Display().c_str());
  ScreenGrabber grabber(*connection);
  EXPECT_EQ(GrabResult::NotViewable, grabber.CaptureWindow(hidden, 2, 2).result);
}

TEST_F(CaptureOnXvfb, TheCaptureThreadFollowsTheScreenThenAWindowThatCloses) {
  client_.Open(0, 0, 640, 480, kRed, "background");
  const Window window = client_.Open(100, 100, 200, 200, kGreen, "followed");
  ScreenCapture capture(server_.Display());
  ASSERT_EQ(platform::CaptureAvailability::Available, capture.Availability());
  ASSERT_TRUE(capture.SetGridSize(2, 2));
  capture.FollowScreen();
  ASSERT_TRUE(capture.Start());
  EXPECT_FALSE(capture.Start());
  ASSERT_TRUE(WaitFor([&] { return capture.Latest().has_value(); }));
  // Mostly red: the green window covers part of one cell only.
  EXPECT_EQ(kRed, capture.Latest()->grid.At(1, 1));

  capture.FollowWindow(window);
  ASSERT_TRUE(WaitFor([&] {
    const auto frame = capture.Latest();
    return frame && AllCells(frame->grid, kGreen);
  }));
  EXPECT_EQ(CaptureState::Capturing, capture.State());

  client_.Close(window);
  ASSERT_TRUE(WaitFor([&] { return capture.State() == CaptureState::WindowGone; }));
  EXPECT_FALSE(capture.WindowStillExists(window));
  // The thread lives on and takes a new choice.
  capture.FollowScreen();
  ASSERT_TRUE(WaitFor([&] {
    const auto frame = capture.Latest();
    return frame && AllCells(frame->grid, kRed);
  }));
  capture.Stop();
  EXPECT_EQ(CaptureState::Stopped, capture.State());
}

TEST_F(CaptureOnXvfb, RefusedGridSizesChangeNothing) {
  ScreenCapture capture(server_.Display());
  EXPECT_FALSE(capture.SetGridSize(0, 5));
  EXPECT_FALSE(capture.SetGridSize(9, 5));
  EXPECT_FALSE(capture.SetGridSize(5, 33));
  EXPECT_TRUE(capture.SetGridSize(7, 19));
}

TEST_F(CaptureOnXvfb, SmallAndUntitledWindowsAreNotListed) {
  const Window titled = client_.Open(0, 0, 300, 200, kRed, "Editor");
  client_.Open(0, 0, 99, 300, kRed, "Too narrow");
  client_.Open(0, 0, 300, 99, kRed, "Too low");
  client_.Open(0, 0, 300, 300, kRed, "");
  client_.Open(0, 0, 300, 300, kRed, "Not shown", false, false);
  const Window utf8 = client_.Open(0, 0, 100, 100, kRed, "Grüße 世界", true);
  const auto connection = X11Connection::Open(server_.Display().c_str());
  const auto windows = platform::ListCaptureWindows(*connection);
  ASSERT_EQ(2u, windows.size());
  // The topmost (last opened) first.
  EXPECT_EQ(utf8, windows[0].id);
  EXPECT_EQ("Grüße 世界", windows[0].title);
  EXPECT_EQ(titled, windows[1].id);
  EXPECT_EQ("Editor", windows[1].title);
  EXPECT_EQ(300, windows[1].width);
}

TEST_F(CaptureOnXvfb, TheWindowManagersStackingListIsPreferred) {
  const Window first = client_.Open(0, 0, 200, 200, kRed, "first");
  const Window second = client_.Open(0, 0, 200, 200, kRed, "second");
  client_.Open(0, 0, 200, 200, kRed, "not managed");
  // A list naming a window that does not exist (closed since) is read without harm.
  client_.SetStackingList({second, 0x7FFFFF, first});
  ScreenCapture capture(server_.Display());
  const auto windows = capture.ListWindows();
  ASSERT_EQ(2u, windows.size());
  EXPECT_EQ(first, windows[0].id);
  EXPECT_EQ(second, windows[1].id);
}

TEST_F(CaptureOnXvfb, ALatin1TitleIsShownAsUtf8) {
  const std::string latin1 = "Caf\xE9";
  const Window window = client_.Open(0, 0, 200, 200, kRed, latin1);
  const auto connection = X11Connection::Open(server_.Display().c_str());
  EXPECT_EQ("Café", platform::WindowTitle(*connection, window));
}

TEST(CaptureFallbacks, WithoutSharedMemoryOrCompositeTheScreenRectangleIsRead) {
  XvfbServer server(640, 480, {"-extension", "MIT-SHM", "-extension", "Composite"});
  ASSERT_TRUE(server.Running());
  TestClient client(server.Display());
  const Window followed = client.Open(50, 50, 200, 200, kGreen, "followed");
  const Window onTop = client.Open(0, 0, 640, 480, kBlue, "on top", false, false);
  const auto connection = X11Connection::Open(server.Display().c_str());
  ScreenGrabber grabber(*connection);
  auto grab = grabber.CaptureWindow(followed, 2, 2);
  ASSERT_EQ(GrabResult::Ok, grab.result);
  EXPECT_FALSE(grabber.UsedSharedMemory());
  EXPECT_FALSE(grabber.UsedComposite());
  EXPECT_TRUE(AllCells(*grab.grid, kGreen));
  // What covers the window is what the rectangle shows.
  XMapRaised(client.Get(), onTop);
  XSync(client.Get(), False);
  grab = grabber.CaptureWindow(followed, 2, 2);
  EXPECT_TRUE(AllCells(*grab.grid, kBlue));
  // Moved partly off the screen: only its visible part is read.
  XUnmapWindow(client.Get(), onTop);
  client.Move(followed, 540, 380);
  grab = grabber.CaptureWindow(followed, 2, 2);
  ASSERT_EQ(GrabResult::Ok, grab.result);
  EXPECT_TRUE(AllCells(*grab.grid, kGreen));
}

TEST(CaptureFallbacks, WithoutSharedMemoryAWindowsOwnPictureIsStillRead) {
  XvfbServer server(640, 480, {"-extension", "MIT-SHM"});
  ASSERT_TRUE(server.Running());
  TestClient client(server.Display());
  const Window followed = client.Open(50, 50, 200, 200, kGreen, "followed");
  client.Open(0, 0, 640, 480, kBlue, "on top");
  const auto connection = X11Connection::Open(server.Display().c_str());
  ScreenGrabber grabber(*connection);
  const auto grab = grabber.CaptureWindow(followed, 2, 2);
  ASSERT_EQ(GrabResult::Ok, grab.result);
  EXPECT_FALSE(grabber.UsedSharedMemory());
  EXPECT_TRUE(grabber.UsedComposite());
  EXPECT_TRUE(AllCells(*grab.grid, kGreen));
}

TEST(CaptureLostServer, AServerThatGoesAwayFailsTheCaptureNotTheProcess) {
  XvfbServer server(320, 240);
  ASSERT_TRUE(server.Running());
  ScreenCapture capture(server.Display());
  ASSERT_TRUE(capture.SetGridSize(2, 2));
  capture.FollowScreen();
  ASSERT_TRUE(capture.Start());
  ASSERT_TRUE(WaitFor([&] { return capture.Latest().has_value(); }));
  server.Kill();
  ASSERT_TRUE(WaitFor([&] { return capture.State() == CaptureState::Failed; }));
  capture.Stop();
  EXPECT_EQ(CaptureState::Stopped, capture.State());
}

TEST(CaptureAvailability, NoDisplayAndWaylandAreNotAvailable) {
  EXPECT_EQ(platform::CaptureAvailability::NoDisplay, platform::DetectCaptureAvailability(":4711"));
  ScreenCapture capture(":4711");
  EXPECT_FALSE(capture.Start());
  EXPECT_EQ(CaptureState::NotAvailable, capture.State());
  EXPECT_TRUE(capture.ListWindows().empty());

  XvfbServer server;
  ASSERT_TRUE(server.Running());
  const char* before = std::getenv("WAYLAND_DISPLAY");
  const std::string saved = before != nullptr ? before : "";
  setenv("WAYLAND_DISPLAY", "wayland-0", 1);
  const auto availability = platform::DetectCaptureAvailability(server.Display().c_str());
  if (before != nullptr) {
    setenv("WAYLAND_DISPLAY", saved.c_str(), 1);
  } else {
    unsetenv("WAYLAND_DISPLAY");
  }
  EXPECT_EQ(platform::CaptureAvailability::Wayland, availability);
}

}  // namespace
