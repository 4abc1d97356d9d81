#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace {

TEST(CommandLine, PageTakesOnlyTheIdsOfPages) {
  const std::pair<const char*, int> accepted[] = {{"0", 0}, {"3", 3}, {"7", 7}};
  for (const auto& [text, page] : accepted) {
    const CommandLine line = ParseCommandLine({"--screenshot", "x.png", "--page", text});
    EXPECT_TRUE(line.errors.empty()) << text;
    EXPECT_EQ(line.page, page) << text;
  }
  for (const char* text : {"8", "99", "-1", "one", "", "2147483648"}) {
    const CommandLine line = ParseCommandLine({"--screenshot", "x.png", "--page", text});
    ASSERT_EQ(line.errors.size(), 1u) << text;
    EXPECT_NE(line.errors[0].find("not a page id"), std::string::npos) << line.errors[0];
    EXPECT_NE(line.errors[0].find("0, 1, 2, 3, 4, 5, 6, 7"), std::string::npos) << line.errors[0];
    EXPECT_EQ(line.page, -1) << text;
  }
}

}  // namespace
