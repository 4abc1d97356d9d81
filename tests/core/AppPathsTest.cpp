#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "core/AppPaths.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

namespace {

TEST(AppPaths, WithoutASessionRuntimeFolderTheUserGetsOneOfTheirOwn) {
  TempFolder folder;
  const ScopedEnvironment tmp("TMPDIR", folder.Path().string());
  {
    const ScopedEnvironment runtime("XDG_RUNTIME_DIR", std::nullopt);
    EXPECT_EQ(AppPaths::FromEnvironment("Tarvo").GetRuntimeFolder(),
              folder / ("Tarvo-" + std::to_string(::getuid())));
  }
  const ScopedEnvironment runtime("XDG_RUNTIME_DIR", (folder / "session").string());
  EXPECT_EQ(AppPaths::FromEnvironment("Tarvo").GetRuntimeFolder(), folder / "session");
}

TEST(AppPaths, FoldersAreMadeForTheUserAlone) {
  TempFolder folder;
  ASSERT_TRUE(AppPaths::CreateFolderPath(folder / "share/Tarvo Files/db"));
  for (const char* made : {"share", "share/Tarvo Files", "share/Tarvo Files/db"}) {
    struct stat info {};
    ASSERT_EQ(::stat((folder / made).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u) << made;
  }
}

}  // namespace
