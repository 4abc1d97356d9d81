#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>
#include <filesystem>

#include "platform/ScreenInfo.h"
#include "platform/UniqueFd.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

namespace {

// A display number no X server here listens on.
constexpr const char* kStaleDisplay = ":93";

TEST(Display, AStaleDisplayIsAProblemWithAMessage) {
  if (std::filesystem::exists("/tmp/.X11-unix/X93")) GTEST_SKIP() << "an X server runs on :93";
  const ScopedEnvironment platform("QT_QPA_PLATFORM", std::nullopt);
  const ScopedEnvironment display("DISPLAY", kStaleDisplay);
  const ScopedEnvironment wayland("WAYLAND_DISPLAY", std::nullopt);
  const ScopedEnvironment socket("WAYLAND_SOCKET", std::nullopt);
  const std::optional<std::string> problem = platform::FindDisplayProblem();
  ASSERT_TRUE(problem);
  EXPECT_NE(problem->find("cannot open the X display \":93\""), std::string::npos) << *problem;

  const ScopedEnvironment noDisplay("DISPLAY", std::nullopt);
  ASSERT_TRUE(platform::FindDisplayProblem());
  EXPECT_NE(platform::FindDisplayProblem()->find("no display found"), std::string::npos);
}

TEST(Display, PlatformsWithoutADisplayServerNeedNone) {
  const ScopedEnvironment display("DISPLAY", kStaleDisplay);
  for (const char* name : {"offscreen", "minimal", "vnc"}) {
    const ScopedEnvironment platform("QT_QPA_PLATFORM", name);
    EXPECT_FALSE(platform::FindDisplayProblem()) << name;
  }
}

TEST(Display, AWaylandCompositorThatListensIsFound) {
  TempFolder runtime;
  const ScopedEnvironment platform("QT_QPA_PLATFORM", "wayland");
  const ScopedEnvironment folder("XDG_RUNTIME_DIR", runtime.Path().string());
  const ScopedEnvironment wayland("WAYLAND_DISPLAY", "wayland-93");
  const ScopedEnvironment socket("WAYLAND_SOCKET", std::nullopt);
  ASSERT_TRUE(platform::FindDisplayProblem());

  const platform::UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = (runtime / "wayland-93").string();
  ASSERT_LT(path.size(), sizeof(address.sun_path));
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  ASSERT_EQ(::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener.Get(), 1), 0);
  EXPECT_FALSE(platform::FindDisplayProblem());
}

}  // namespace
