#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "base/Text.h"
#include "catalogue/XmlDocument.h"
#include "catalogue/XmlDocumentTestSupport.h"

namespace {

constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

// --- cursor -----------------------------------------------------------------------------------

constexpr const char* kList =
    "<r>\r\n  <item n=\"1\"/>\r\n  <other/>\r\n  <item n=\"2\"><sub/></item>\r\n  <tail/>\r\n</r>";

TEST(XmlCursorTest, RepeatedFindWalksLikeElementsAndStopsAtTheEnd) {
  XmlDocument document;
  ASSERT_TRUE(document.SetText(kList));
  ASSERT_TRUE(document.FindElement("r"));
  ASSERT_TRUE(document.EnterElement());
  ASSERT_TRUE(document.FindElement("item"));
  EXPECT_EQ(document.GetAttribute("n"), "1");
  ASSERT_TRUE(document.FindElement("item"));
  EXPECT_EQ(document.GetAttribute("n"), "2");
  EXPECT_FALSE(document.FindElement("item"));
  // The failed search left the cursor on the second item.
  EXPECT_EQ(document.GetAttribute("n"), "2");
  EXPECT_TRUE(document.EnterElement());
  EXPECT_TRUE(document.FindElement("sub"));
}

TEST(XmlCursorTest, FindNeverGoesBackBeforeTheMainElement) {
  XmlDocument document;
  ASSERT_TRUE(document.SetText(kList));
  ASSERT_TRUE(document.FindElement("r") && document.EnterElement());
  ASSERT_TRUE(document.FindElement("tail"));
  EXPECT_FALSE(document.FindElement("other"));
  EXPECT_FALSE(document.FindElement("item"));
  EXPECT_EQ(document.GetTagName(), "tail");
  EXPECT_FALSE(document.FindElement("Tail"));  // tags are case-sensitive
  // Only the children of the level are searched, not deeper elements.
  ASSERT_TRUE(document.LeaveElement() && document.EnterElement());
  EXPECT_FALSE(document.FindElement("sub"));
}

TEST(XmlCursorTest, EnterAndLeaveAtTheDocumentLevel) {
  XmlDocument document;
  ASSERT_TRUE(document.SetText(kList));
  EXPECT_FALSE(document.LeaveElement());
  EXPECT_FALSE(document.EnterElement());  // no main element yet
  EXPECT_EQ(document.GetAttribute("n"), "");
  ASSERT_TRUE(document.FindElement("r"));
  EXPECT_FALSE(document.FindElement("r"));  // one root only
  ASSERT_TRUE(document.EnterElement());
  EXPECT_EQ(document.GetTagName(), "");
  ASSERT_TRUE(document.LeaveElement());
  EXPECT_EQ(document.GetTagName(), "r");
  EXPECT_FALSE(document.LeaveElement());
}

TEST(XmlCursorTest, LeaveContinuesAfterTheElementItLeft) {
  XmlDocument document;
  ASSERT_TRUE(document.SetText(kList));
  ASSERT_TRUE(document.FindElement("r") && document.EnterElement());
  ASSERT_TRUE(document.FindElement("item") && document.FindElement("item"));
  ASSERT_TRUE(document.EnterElement() && document.FindElement("sub"));
  ASSERT_TRUE(document.LeaveElement());
  EXPECT_EQ(document.GetAttribute("n"), "2");
  EXPECT_TRUE(document.FindElement("tail"));
}

TEST(XmlCursorTest, FindWithoutTagVisitsEveryElementOfTheLevel) {
  XmlDocument document;
  ASSERT_TRUE(document.SetText(kList));
  ASSERT_TRUE(document.FindElement() && document.EnterElement());
  std::string tags;
  while (document.FindElement()) tags += document.GetTagName() + ",";
  EXPECT_EQ(tags, "item,other,item,tail,");
}

TEST(XmlCursorTest, ParsingResetsTheCursor) {
  XmlDocument document;
  ASSERT_TRUE(document.SetText("<a><b/></a>"));
  ASSERT_TRUE(document.FindElement("a") && document.EnterElement() && document.FindElement("b"));
  ASSERT_TRUE(document.SetText("<a><b/></a>"));
  EXPECT_FALSE(document.LeaveElement());
  EXPECT_EQ(document.GetTagName(), "");
  EXPECT_FALSE(document.FindElement("b"));
}

// --- well-formedness --------------------------------------------------------------------------

struct MalformedCase {
  const char* text;
  const char* error;
  friend void PrintTo(const MalformedCase& c, std::ostream* out) { *out << c.text; }
};

class XmlMalformedTest : public XmlFileTest, public ::testing::WithParamInterface<MalformedCase> {};

TEST_P(XmlMalformedTest, IsRefusedWithItsErrorName) {
  XmlDocument document;
  EXPECT_FALSE(document.SetText(GetParam().text));
  EXPECT_EQ(document.GetResult().error, GetParam().error);
  EXPECT_FALSE(document.LoadFile(WriteFile("bad.xml", GetParam().text)));
  EXPECT_EQ(document.GetResult().error, GetParam().error);
  EXPECT_EQ(document.GetResult().action, "load_file");
}

INSTANTIATE_TEST_SUITE_P(
    Errors, XmlMalformedTest,
    ::testing::Values(
        MalformedCase{"", "no_root_element"},
        MalformedCase{"<?xml version=\"1.0\"?>\r\n<!-- nothing -->", "no_root_element"},
        MalformedCase{"<a/><b/>", "root_has_sibling"},
        MalformedCase{"<a/>\r\n<a/>\r\n", "root_has_sibling"},
        MalformedCase{"<a/>text", "root_has_sibling"},
        MalformedCase{"text<a/>", "root_has_sibling"}, MalformedCase{"</a>", "lone_end_tag"},
        MalformedCase{"<a></b>", "lone_end_tag"}, MalformedCase{"<a>x</a></a>", "lone_end_tag"},
        MalformedCase{"<a><b></b></c></a>", "lone_end_tag"},
        MalformedCase{"<a><b></a>", "unended_start_tag"},
        MalformedCase{"<a><b>", "unended_start_tag"},
        MalformedCase{"<a><b/>  \r\n", "unended_start_tag"},
        MalformedCase{"<a", "unterminated_tag_syntax"},
        MalformedCase{"<a x=1/>", "unterminated_tag_syntax"},
        MalformedCase{"<a x=\"1/>", "unterminated_tag_syntax"},
        MalformedCase{"<a></a", "unterminated_tag_syntax"},
        MalformedCase{"<a><!-- open", "unterminated_tag_syntax"},
        MalformedCase{"<a>< b/></a>", "unterminated_tag_syntax"}));

TEST_F(XmlFileTest, MissingFileOrFolderIsAFileError) {
  XmlDocument document;
  EXPECT_FALSE(document.LoadFile(folder_ / "missing.xml"));
  EXPECT_EQ(document.GetResult().error, "file_error");
  EXPECT_FALSE(document.LoadFile(folder_));
  EXPECT_EQ(document.GetResult().error, "file_error");
  EXPECT_FALSE(document.FindElement("a"));
}

TEST(XmlWellFormedTest, AnUnparsableDocumentKeepsItsTextAndRefusesChanges) {
  XmlDocument document;
  const std::string text = "<a><b>unfinished";
  ASSERT_FALSE(document.SetText(text));
  EXPECT_FALSE(document.FindElement("a"));
  EXPECT_FALSE(document.AddElement("c"));
  EXPECT_EQ(document.GetDocumentText(), text);
}

// --- values -----------------------------------------------------------------------------------

struct EscapeCase {
  const char* name;
  std::string value;
  std::string written;  // how the value stands in the file
  friend void PrintTo(const EscapeCase& c, std::ostream* out) { *out << c.name; }
};

class XmlEscapeTest : public XmlFileTest, public ::testing::WithParamInterface<EscapeCase> {};

TEST_P(XmlEscapeTest, IsWrittenEscapedAndReadsBackUnchanged) {
  const EscapeCase& c = GetParam();
  XmlDocument document;
  document.SetText(kDeclaration);
  ASSERT_TRUE(document.AddElement("item"));
  ASSERT_TRUE(document.SetAttribute("v", c.value));
  EXPECT_EQ(document.GetAttribute("v"), c.value);
  const std::filesystem::path path = folder_ / "escaped.xml";
  ASSERT_TRUE(document.SaveFile(path));
  EXPECT_EQ(ReadFile(path), std::string(kDeclaration) + "<item v=\"" + c.written + "\"/>\r\n");

  XmlDocument reread;
  ASSERT_TRUE(reread.LoadFile(path));
  ASSERT_TRUE(reread.FindElement("item"));
  EXPECT_EQ(reread.GetAttribute("v"), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Values, XmlEscapeTest,
    ::testing::Values(EscapeCase{"Less", "a<b", "a&lt;b"}, EscapeCase{"Amp", "R&D", "R&amp;D"},
                      EscapeCase{"Greater", "->", "-&gt;"},
                      EscapeCase{"Apostrophe", "it's", "it&apos;s"},
                      EscapeCase{"Quote", "say \"hi\"", "say &quot;hi&quot;"},
                      EscapeCase{"EntityLookalike", "&amp;", "&amp;amp;"},
                      EscapeCase{"NonAscii", "\xE5\x9B\x9E\xE8\xBD\xA6 \xF0\x9F\x98\x80",
                                 "\xE5\x9B\x9E\xE8\xBD\xA6 \xF0\x9F\x98\x80"},
                      EscapeCase{"LineBreaks", "a\r\nb\tc", "a&#13;&#10;b&#9;c"},
                      EscapeCase{"Empty", "", ""}),
    [](const ::testing::TestParamInfo<EscapeCase>& info) { return std::string(info.param.name); });

struct ReferenceCase {
  const char* raw;
  std::string decoded;
  friend void PrintTo(const ReferenceCase& c, std::ostream* out) { *out << c.raw; }
};

class XmlReferenceTest : public ::testing::TestWithParam<ReferenceCase> {};

TEST_P(XmlReferenceTest, DecodesToValidUtf8) {
  XmlDocument document;
  ASSERT_TRUE(
      document.SetText(std::string("<a v=\"") + GetParam().raw + "\">" + GetParam().raw + "</a>"));
  ASSERT_TRUE(document.FindElement("a"));
  const std::string value = document.GetAttribute("v");
  EXPECT_EQ(value, GetParam().decoded);
  EXPECT_TRUE(base::IsValidUtf8(value));
  EXPECT_TRUE(base::IsValidUtf8(document.GetDocumentText()));
}

INSTANTIATE_TEST_SUITE_P(
    References, XmlReferenceTest,
    ::testing::Values(ReferenceCase{"&lt;&gt;&amp;&apos;&quot;", "<>&'\""},
                      ReferenceCase{"&#65;&#x42;&#X43;&#x00044;", "ABCD"},
                      ReferenceCase{"&#233;&#x6F22;", "\xC3\xA9\xE6\xBC\xA2"},
                      ReferenceCase{"&#x1F600;&#128512;", "\xF0\x9F\x98\x80\xF0\x9F\x98\x80"},
                      ReferenceCase{"&#xD83D;&#xDE00;", "\xF0\x9F\x98\x80"},
                      ReferenceCase{"&#0;", "\xEF\xBF\xBD"},
                      ReferenceCase{"&#xD800;x", "\xEF\xBF\xBDx"},
                      ReferenceCase{"&#xDE00;&#xD83D;", "\xEF\xBF\xBD\xEF\xBF\xBD"},
                      ReferenceCase{"&#x110000;", "\xEF\xBF\xBD"},
                      ReferenceCase{"&#99999999999999999999999;", "\xEF\xBF\xBD"},
                      ReferenceCase{"&#xFFFFFFFFFFFFFFFF41;", "\xEF\xBF\xBD"},
                      ReferenceCase{"&#;&#x;&#65&#-1;", "&#;&#x;&#65&#-1;"},
                      ReferenceCase{"&lt&foo;& x", "&lt&foo;& x"}));

TEST(XmlAttributeTest, SetAttributeReplacesInPlaceAndAppendsNewOnes) {
  XmlDocument document;
  ASSERT_TRUE(document.SetText("<e a=\"1\" b=\"2\"/>"));
  ASSERT_TRUE(document.FindElement("e"));
  ASSERT_TRUE(document.SetAttribute("a", "3"));
  EXPECT_EQ(document.GetDocumentText(), "<e a=\"3\" b=\"2\"/>\r\n");
  ASSERT_TRUE(document.SetAttribute("c", "4"));
  ASSERT_TRUE(document.SetAttribute("b", ""));
  EXPECT_EQ(document.GetDocumentText(), "<e a=\"3\" b=\"\" c=\"4\"/>\r\n");
  EXPECT_EQ(document.GetAttribute("A"), "");  // names match exactly
}

TEST(XmlAttributeTest, RefusesInvalidNamesAndCleansValues) {
  XmlDocument document;
  EXPECT_FALSE(document.SetAttribute("a", "1"));  // no main element
  for (const char* bad : {"", "a b", "<x", "1a", "a=b", "a\"", "-a"}) {
    EXPECT_FALSE(document.AddElement(bad)) << bad;
  }
  ASSERT_TRUE(document.AddElement("e"));
  EXPECT_FALSE(document.SetAttribute("a b", "1"));
  EXPECT_FALSE(document.SetAttribute(std::string("a\0b", 3), "1"));
  ASSERT_TRUE(document.SetAttribute("v", std::string("x\0y\xFF", 4)));
  EXPECT_EQ(document.GetAttribute("v"), "xy\xEF\xBF\xBD");
}

// --- written layout ---------------------------------------------------------------------------

TEST_F(XmlFileTest, ExportedProfileHasTheExactLayout) {
  XmlDocument document;
  EXPECT_FALSE(document.SetText(kDeclaration));  // not yet well-formed
  EXPECT_EQ(document.GetResult().error, "no_root_element");
  ASSERT_TRUE(document.AddElement("profile") && document.EnterElement());
  ASSERT_TRUE(document.AddElement("profileinfo") && document.SetAttribute("name", "Game <1>"));
  ASSERT_TRUE(document.AddElement("key_macro") && document.EnterElement());
  for (const char* code : {"41", "42"}) {
    ASSERT_TRUE(document.AddElement("item"));
    ASSERT_TRUE(document.SetAttribute("fn_layer", "0") && document.SetAttribute("key_code", code));
    ASSERT_TRUE(document.SetAttribute("macro_desc", "A & B"));
  }
  ASSERT_TRUE(document.LeaveElement() && document.LeaveElement());
  EXPECT_FALSE(document.AddElement("empty"));  // a second root is refused

  const std::filesystem::path path = folder_ / "profile.xml";
  ASSERT_TRUE(document.SaveFile(path));
  EXPECT_EQ(ReadFile(path),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
            "<profile>\r\n"
            "<profileinfo name=\"Game &lt;1&gt;\"/>\r\n"
            "<key_macro>\r\n"
            "<item fn_layer=\"0\" key_code=\"41\" macro_desc=\"A &amp; B\"/>\r\n"
            "<item fn_layer=\"0\" key_code=\"42\" macro_desc=\"A &amp; B\"/>\r\n"
            "</key_macro>\r\n"
            "</profile>\r\n");
  EXPECT_EQ(document.GetResult().error, "");
  EXPECT_EQ(document.GetResult().mark, XmlByteOrderMark::kNone);
  EXPECT_EQ(document.GetResult().fileSize, ReadFile(path).size());
}

TEST(XmlLayoutTest, EmptyContainerStaysAnEmptyElement) {
  XmlDocument document;
  document.SetText(kDeclaration);
  ASSERT_TRUE(document.AddElement("profile") && document.EnterElement());
  ASSERT_TRUE(document.AddElement("key_macro") && document.EnterElement());
  ASSERT_TRUE(document.LeaveElement() && document.LeaveElement());
  EXPECT_EQ(document.GetDocumentText(),
            std::string(kDeclaration) + "<profile>\r\n<key_macro/>\r\n</profile>\r\n");
}

TEST(XmlLayoutTest, AddElementInsertsAfterTheMainElement) {
  XmlDocument document;
  ASSERT_TRUE(document.SetText("<r><a/><b/></r>"));
  ASSERT_TRUE(document.FindElement("r") && document.EnterElement() && document.FindElement("a"));
  ASSERT_TRUE(document.AddElement("c"));
  EXPECT_TRUE(document.FindElement("b"));  // the new element became the main element
  ASSERT_TRUE(document.LeaveElement() && document.EnterElement());
  ASSERT_TRUE(document.AddElement("d"));  // no main element: at the end of the level
  EXPECT_EQ(document.GetDocumentText(), "<r>\r\n<a/>\r\n<c/>\r\n<b/>\r\n<d/>\r\n</r>\r\n");
}

TEST_F(XmlFileTest, ChangedLoadedDocumentKeepsItsContent) {
  const std::string original =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE config>\n"
      "<!-- shipped -->\n"
      "<config>\n"
      "  <software name=\"Tarvo\" version=\"1.0\"/>\n"
      "  <note lang=\"en\">Keep  <b>this</b> <i>&amp;</i> that</note>\n"
      "  <space> </space>\n"
      "  <raw><![CDATA[<not a tag>]]></raw>\n"
      "  <?hint fast?>\n"
      "</config>\n";
  XmlDocument document;
  ASSERT_TRUE(document.LoadFile(WriteFile("config.xml", original)));
  EXPECT_EQ(document.GetDocumentText(), original);  // unchanged until edited
  ASSERT_TRUE(document.FindElement("config") && document.EnterElement());
  ASSERT_TRUE(document.FindElement("software") && document.SetAttribute("version", "1.1"));
  ASSERT_TRUE(document.SaveFile(folder_ / "saved.xml"));
  EXPECT_EQ(ReadFile(folder_ / "saved.xml"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
            "<!DOCTYPE config>\r\n"
            "<!-- shipped -->\r\n"
            "<config>\r\n"
            "<software name=\"Tarvo\" version=\"1.1\"/>\r\n"
            "<note lang=\"en\">Keep  <b>this</b> <i>&amp;</i> that</note>\r\n"
            "<space> </space>\r\n"
            "<raw><![CDATA[<not a tag>]]></raw>\r\n"
            "<?hint fast?>\r\n"
            "</config>\r\n");
}

TEST_F(XmlFileTest, SaveToAnUnwritablePathFails) {
  XmlDocument document;
  document.SetText(kDeclaration);
  ASSERT_TRUE(document.AddElement("profile"));
  EXPECT_FALSE(document.SaveFile(folder_ / "no such folder" / "profile.xml"));
  EXPECT_EQ(document.GetResult().error, "file_error");
  EXPECT_FALSE(document.SaveFile(folder_));
  EXPECT_EQ(document.GetResult().error, "file_error");
  EXPECT_TRUE(document.SaveFile(folder_ / "profile.xml"));
}

}  // namespace
