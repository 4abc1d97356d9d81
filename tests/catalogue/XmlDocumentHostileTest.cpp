// Documents built to hurt a reader: none may crash it, blow up memory or produce text that is
// not valid UTF-8.

#include <gtest/gtest.h>

#include <string>

#include "base/Text.h"
#include "catalogue/XmlDocument.h"
#include "catalogue/XmlDocumentTestSupport.h"

namespace {

std::string Repeat(std::string_view part, std::size_t count) {
  std::string out;
  out.reserve(part.size() * count);
  for (std::size_t i = 0; i < count; ++i) out += part;
  return out;
}

constexpr std::size_t kDepth = 200000;

TEST(XmlHostileTest, DeepNestingIsWalkedEditedAndWrittenWithoutRecursion) {
  XmlDocument document;
  ASSERT_TRUE(document.SetText(Repeat("<a>", kDepth) + Repeat("</a>", kDepth)));
  std::size_t depth = 0;
  while (document.FindElement("a") && document.EnterElement()) ++depth;
  EXPECT_EQ(depth, kDepth);
  ASSERT_TRUE(document.AddElement("leaf") && document.SetAttribute("v", "&"));
  const std::string text = document.GetDocumentText();
  EXPECT_EQ(text.size(), kDepth * (5 + 6) + std::string("<leaf v=\"&amp;\"/>\r\n").size());

  XmlDocument reread;
  EXPECT_TRUE(reread.SetText(text));
}

TEST(XmlHostileTest, DeepUnclosedNestingIsAnUnendedStartTag) {
  XmlDocument document;
  EXPECT_FALSE(document.SetText(Repeat("<a>", kDepth) + Repeat("</a>", kDepth - 1)));
  EXPECT_EQ(document.GetResult().error, "unended_start_tag");
  EXPECT_FALSE(document.SetText(Repeat("<a>", kDepth) + "</b>"));
  EXPECT_EQ(document.GetResult().error, "lone_end_tag");
}

TEST(XmlHostileTest, HugeAttributeValue) {
  const std::string value = Repeat("&lt;x", 2 * 1024 * 1024);
  XmlDocument document;
  ASSERT_TRUE(document.SetText("<a v=\"" + value + "\"/>"));
  ASSERT_TRUE(document.FindElement("a"));
  EXPECT_EQ(document.GetAttribute("v"), Repeat("<x", 2 * 1024 * 1024));
}

TEST(XmlHostileTest, DeclaredEntitiesAreNeverExpanded) {
  std::string doctype = "<!DOCTYPE lolz [<!ENTITY lol0 \"lol\">";
  for (int level = 1; level <= 9; ++level) {
    doctype += "<!ENTITY lol" + std::to_string(level) + " \"" +
               Repeat("&lol" + std::to_string(level - 1) + ";", 10) + "\">";
  }
  doctype += "<!ENTITY file SYSTEM \"file:///etc/passwd\">]>";
  XmlDocument document;
  ASSERT_TRUE(document.SetText(doctype + "<lolz v=\"&lol9;&file;\">&lol9;</lolz>"));
  ASSERT_TRUE(document.FindElement("lolz"));
  EXPECT_EQ(document.GetAttribute("v"), "&lol9;&file;");
  ASSERT_TRUE(document.SetAttribute("w", "1"));
  EXPECT_LT(document.GetDocumentText().size(), 2 * doctype.size());
}

TEST_F(XmlFileTest, TruncatedUtf16AndStrayBytesStaySafe) {
  const std::string cases[] = {
      std::string("\xFF\xFE<\0a\0/\0>\0\x3D\xD8", 12),  // ends in half a surrogate pair
      std::string("\xFE\xFF\0<\0a\0/\0>\0", 11),        // odd byte count
      std::string("\xFF\xFE", 2),                       // a mark and nothing else
      std::string("\xFF\xFE\0", 3),
      std::string("\0\0\0\0", 4),
      std::string("<\0", 2),
      std::string("\xEF\xBB\xBF\xFF\xFE<a/>", 9),
      std::string("<?xml version=\"1.0\" encoding=\""),
      std::string("<?xml version=\"1.0\" encoding=\"ISO-2022-JP\"?><a v=\"\x1B$B\"/>"),
  };
  int index = 0;
  for (const std::string& bytes : cases) {
    XmlDocument document;
    document.LoadFile(WriteFile("case" + std::to_string(index++) + ".xml", bytes));
    EXPECT_TRUE(base::IsValidUtf8(document.GetDocumentText())) << index;
    EXPECT_EQ(document.GetDocumentText().find('\0'), std::string::npos) << index;
    while (document.FindElement()) EXPECT_TRUE(base::IsValidUtf8(document.GetAttribute("v")));
  }
}

TEST(XmlHostileTest, InvalidUtf8AndNulInSetTextAreCleaned) {
  XmlDocument document;
  ASSERT_TRUE(
      document.SetText(std::string("<a v=\"\xC0\xAF\0\xED\xA0\x80\xF4\x90\x80\x80\"/>", 19)));
  ASSERT_TRUE(document.FindElement("a"));
  const std::string value = document.GetAttribute("v");
  EXPECT_TRUE(base::IsValidUtf8(value));
  EXPECT_EQ(base::CodePointCount(value), 2u + 3u + 4u);  // one U+FFFD per bad byte
}

}  // namespace
