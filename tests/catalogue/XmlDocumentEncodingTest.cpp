#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

#include "base/Text.h"
#include "catalogue/XmlDocument.h"
#include "catalogue/XmlDocumentEncoding.h"
#include "catalogue/XmlDocumentTestSupport.h"

namespace {

std::string Utf16Bytes(std::u16string_view units, bool bigEndian) {
  std::string bytes;
  for (char16_t unit : units) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

const std::string kLe = "\xFF\xFE";
const std::string kBe = "\xFE\xFF";
const std::string kUtf8Mark = "\xEF\xBB\xBF";

struct LoadCase {
  const char* name;
  std::string bytes;
  std::string value;     // attribute "v" of the root
  std::string encoding;  // encoding the file was read in
  XmlByteOrderMark mark;
  friend void PrintTo(const LoadCase& c, std::ostream* out) { *out << c.name; }
};

class XmlLoadEncodingTest : public XmlFileTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(XmlLoadEncodingTest, ReadsTheAttributeInTheRightEncoding) {
  const LoadCase& c = GetParam();
  XmlDocument document;
  ASSERT_TRUE(document.LoadFile(WriteFile("in.xml", c.bytes))) << document.GetResult().detail;
  EXPECT_EQ(document.GetResult().encoding, c.encoding);
  EXPECT_EQ(document.GetResult().mark, c.mark);
  ASSERT_TRUE(document.FindElement("r"));
  EXPECT_EQ(document.GetAttribute("v"), c.value);
  EXPECT_TRUE(base::IsValidUtf8(document.GetDocumentText()));
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, XmlLoadEncodingTest,
    ::testing::Values(
        LoadCase{"Utf8", "<r v=\"\xC3\xA9\"/>", "\xC3\xA9", "UTF-8", XmlByteOrderMark::kNone},
        LoadCase{"Utf8Mark", kUtf8Mark + "<r v=\"\xC3\xA9\"/>", "\xC3\xA9", "UTF-8",
                 XmlByteOrderMark::kUtf8},
        LoadCase{"Utf16LeMark", kLe + Utf16Bytes(u"<r v=\"\u00E9\U0001F600\"/>", false),
                 "\xC3\xA9\xF0\x9F\x98\x80", "UTF-16LE", XmlByteOrderMark::kUtf16Le},
        LoadCase{"Utf16BeMark", kBe + Utf16Bytes(u"<r v=\"\u00E9\U0001F600\"/>", true),
                 "\xC3\xA9\xF0\x9F\x98\x80", "UTF-16BE", XmlByteOrderMark::kUtf16Be},
        LoadCase{"Utf16LeWithoutMark", Utf16Bytes(u"<r v=\"\u6F22\"/>", false), "\xE6\xBC\xA2",
                 "UTF-16LE", XmlByteOrderMark::kNone},
        LoadCase{"Utf16BeWithoutMark", Utf16Bytes(u"<r v=\"\u6F22\"/>", true), "\xE6\xBC\xA2",
                 "UTF-16BE", XmlByteOrderMark::kNone},
        LoadCase{"Latin1Declared",
                 "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<r v=\"caf\xE9\"/>",
                 "caf\xC3\xA9", "ISO-8859-1", XmlByteOrderMark::kNone},
        LoadCase{"Windows1252Declared",
                 "<?xml version='1.0' encoding='windows-1252'?><r v=\"\x80 \xE9\"/>",
                 "\xE2\x82\xAC \xC3\xA9", "windows-1252", XmlByteOrderMark::kNone},
        LoadCase{"ShiftJisDeclared",
                 "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><r v=\"\x82\xA0\"/>",
                 "\xE3\x81\x82", "Shift_JIS", XmlByteOrderMark::kNone},
        // Without a declaration and not starting with "<": invalid UTF-8 is read as Windows-1252.
        LoadCase{"Windows1252Fallback", "\r\n<r v=\"\x80 caf\xE9\"/>", "\xE2\x82\xAC caf\xC3\xA9",
                 "windows-1252", XmlByteOrderMark::kNone},
        LoadCase{"ValidUtf8WithoutHint", "\r\n<r v=\"\xC3\xA9\"/>", "\xC3\xA9", "UTF-8",
                 XmlByteOrderMark::kNone},
        // A file that starts with "<" is UTF-8; bytes that are not become U+FFFD.
        LoadCase{"LeadingAngleMeansUtf8", "<r v=\"caf\xE9\"/>", "caf\xEF\xBF\xBD", "UTF-8",
                 XmlByteOrderMark::kNone},
        LoadCase{"UnknownNameValidUtf8",
                 "<?xml version=\"1.0\" encoding=\"x-unheard-of\"?><r v=\"\xC3\xA9\"/>", "\xC3\xA9",
                 "UTF-8", XmlByteOrderMark::kNone},
        LoadCase{"Utf16NameInEightBitFile",
                 "<?xml version=\"1.0\" encoding=\"UTF-16\"?><r v=\"\xC3\xA9\"/>", "\xC3\xA9",
                 "UTF-8", XmlByteOrderMark::kNone},
        LoadCase{"NulBytesRemoved", std::string("<r v=\"a\0b\xC3\0\xA9\"/>\0", 16), "ab\xC3\xA9",
                 "UTF-8", XmlByteOrderMark::kNone},
        LoadCase{"NulUnitsRemoved", kLe + Utf16Bytes(std::u16string(u"<r v=\"a\0b\"/>", 12), false),
                 "ab", "UTF-16LE", XmlByteOrderMark::kUtf16Le},
        LoadCase{"UnpairedSurrogates", kLe + Utf16Bytes(u"<r v=\"\xD800x\xDC00\xD83D\"/>", false),
                 "\xEF\xBF\xBDx\xEF\xBF\xBD\xEF\xBF\xBD", "UTF-16LE", XmlByteOrderMark::kUtf16Le},
        LoadCase{"OddByteCount", kBe + Utf16Bytes(u"<r v=\"k\"/>", true) + "\x0A", "k", "UTF-16BE",
                 XmlByteOrderMark::kUtf16Be}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

TEST_F(XmlFileTest, MarkAndNoMarkLoadTheSame) {
  const std::string content =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<device.info>\r\n<Keyboard image=\"k.png\">"
      "<KeyItems><key code=\"E0\" name=\"\xE5\x9B\x9E\xE8\xBD\xA6\"/></KeyItems></Keyboard>\r\n"
      "</device.info>\r\n";
  XmlDocument plain;
  XmlDocument marked;
  ASSERT_TRUE(plain.LoadFile(WriteFile("plain.xml", content)));
  ASSERT_TRUE(marked.LoadFile(WriteFile("marked.xml", kUtf8Mark + content)));
  EXPECT_EQ(plain.GetDocumentText(), marked.GetDocumentText());
  for (XmlDocument* document : {&plain, &marked}) {
    ASSERT_TRUE(document->FindElement("device.info") && document->EnterElement());
    ASSERT_TRUE(document->FindElement("Keyboard") && document->EnterElement());
    ASSERT_TRUE(document->FindElement("KeyItems") && document->EnterElement());
    ASSERT_TRUE(document->FindElement("key"));
    EXPECT_EQ(document->GetAttribute("name"), "\xE5\x9B\x9E\xE8\xBD\xA6");
  }
}

struct SaveCase {
  const char* name;
  std::string declaration;
  std::string expected;  // bytes of the saved file
  friend void PrintTo(const SaveCase& c, std::ostream* out) { *out << c.name; }
};

class XmlSaveEncodingTest : public XmlFileTest, public ::testing::WithParamInterface<SaveCase> {};

// A document built in memory: written in its declared encoding, never with a mark.
TEST_P(XmlSaveEncodingTest, WritesTheDeclaredEncoding) {
  const SaveCase& c = GetParam();
  XmlDocument document;
  document.SetText(c.declaration);
  ASSERT_TRUE(document.AddElement("r"));
  ASSERT_TRUE(document.SetAttribute("v", "\xC3\xA9\xE2\x82\xAC"));
  const std::filesystem::path path = folder_ / "out.xml";
  ASSERT_TRUE(document.SaveFile(path));
  EXPECT_EQ(ReadFile(path), c.expected);

  XmlDocument reread;
  ASSERT_TRUE(reread.LoadFile(path));
  ASSERT_TRUE(reread.FindElement("r"));
  EXPECT_EQ(reread.GetAttribute("v"), "\xC3\xA9\xE2\x82\xAC");
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, XmlSaveEncodingTest,
    ::testing::Values(
        SaveCase{"NoDeclaration", "", "<r v=\"\xC3\xA9\xE2\x82\xAC\"/>\r\n"},
        SaveCase{
            "Utf8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<r v=\"\xC3\xA9\xE2\x82\xAC\"/>\r\n"},
        SaveCase{"Windows1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>",
                 "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<r v=\"\xE9\x80\"/>\r\n"},
        // Characters the encoding lacks are written as character references.
        SaveCase{"Latin1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>",
                 "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<r v=\"\xE9&#8364;\"/>\r\n"},
        SaveCase{"Utf16Le", "<?xml version=\"1.0\" encoding=\"UTF-16LE\"?>",
                 Utf16Bytes(u"<?xml version=\"1.0\" encoding=\"UTF-16LE\"?>\r\n"
                            u"<r v=\"\u00E9\u20AC\"/>\r\n",
                            false)}),
    [](const ::testing::TestParamInfo<SaveCase>& info) { return std::string(info.param.name); });

// A shifting encoding must be back in its plain state before a character reference.
TEST_F(XmlFileTest, StatefulEncodingRoundTrips) {
  const std::string value = "\xE3\x81\x82\xC3\xA9\xE3\x81\x84";  // Hiragana, e acute, Hiragana
  XmlDocument document;
  document.SetText("<?xml version=\"1.0\" encoding=\"ISO-2022-JP\"?>");
  ASSERT_TRUE(document.AddElement("r") && document.SetAttribute("v", value));
  const std::filesystem::path path = folder_ / "jis.xml";
  ASSERT_TRUE(document.SaveFile(path));
  EXPECT_NE(ReadFile(path).find("&#233;"), std::string::npos);

  XmlDocument reread;
  ASSERT_TRUE(reread.LoadFile(path));
  ASSERT_TRUE(reread.FindElement("r"));
  EXPECT_EQ(reread.GetAttribute("v"), value);
}

struct MarkCase {
  const char* name;
  std::string bytes;
  std::string mark;  // the bytes the saved file starts with
  friend void PrintTo(const MarkCase& c, std::ostream* out) { *out << c.name; }
};

class XmlMarkRoundTripTest : public XmlFileTest, public ::testing::WithParamInterface<MarkCase> {};

TEST_P(XmlMarkRoundTripTest, ALoadedMarkIsWrittenBack) {
  const MarkCase& c = GetParam();
  XmlDocument document;
  ASSERT_TRUE(document.LoadFile(WriteFile("in.xml", c.bytes)));
  ASSERT_TRUE(document.FindElement("r"));
  ASSERT_TRUE(document.SetAttribute("w", "\xF0\x9F\x98\x80"));
  const std::filesystem::path path = folder_ / "out.xml";
  ASSERT_TRUE(document.SaveFile(path));
  EXPECT_EQ(ReadFile(path).substr(0, c.mark.size()), c.mark);

  XmlDocument reread;
  ASSERT_TRUE(reread.LoadFile(path));
  ASSERT_TRUE(reread.FindElement("r"));
  EXPECT_EQ(reread.GetAttribute("v"), "a");
  EXPECT_EQ(reread.GetAttribute("w"), "\xF0\x9F\x98\x80");
}

INSTANTIATE_TEST_SUITE_P(
    Marks, XmlMarkRoundTripTest,
    ::testing::Values(MarkCase{"Utf8", kUtf8Mark + "<r v=\"a\"/>", kUtf8Mark},
                      MarkCase{"Utf16Le", kLe + Utf16Bytes(u"<r v=\"a\"/>", false), kLe + "<"},
                      MarkCase{"Utf16Be", kBe + Utf16Bytes(u"<r v=\"a\"/>", true), kBe + '\0'},
                      MarkCase{"NoMark", "<r v=\"a\"/>", "<r"}),
    [](const ::testing::TestParamInfo<MarkCase>& info) { return std::string(info.param.name); });

struct DeclarationCase {
  std::string text;
  std::string encoding;
  friend void PrintTo(const DeclarationCase& c, std::ostream* out) { *out << c.text; }
};

class XmlDeclaredEncodingTest : public ::testing::TestWithParam<DeclarationCase> {};

TEST_P(XmlDeclaredEncodingTest, FindsTheEncodingAttribute) {
  EXPECT_EQ(xmldoc::DeclaredEncoding(GetParam().text), GetParam().encoding);
}

INSTANTIATE_TEST_SUITE_P(
    Declarations, XmlDeclaredEncodingTest,
    ::testing::Values(DeclarationCase{"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "UTF-8"},
                      DeclarationCase{"<?xml version='1.0'\r\n  encoding = 'GBK' ?><a/>", "GBK"},
                      DeclarationCase{"<?xml version=\"1.0\"?><a encoding=\"x\"/>", ""},
                      DeclarationCase{"<?xml version=\"1.0 encoding='GBK'\"?>", ""},
                      DeclarationCase{" <?xml version=\"1.0\" encoding=\"UTF-8\"?>", ""},
                      DeclarationCase{"<?xml-stylesheet encoding=\"UTF-8\"?>", ""},
                      DeclarationCase{"<?xml encoding=\"UTF-8//TRANSLIT\"?>", ""},
                      DeclarationCase{"<?xml encoding=\"UTF-8", ""}));

TEST(XmlWindows1252Test, MapsEveryByte) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte) all += static_cast<char>(byte);
  const std::string text = xmldoc::DecodeWindows1252(all);
  EXPECT_TRUE(base::IsValidUtf8(text));
  EXPECT_EQ(base::CodePointCount(text), 255u);
  EXPECT_EQ(xmldoc::DecodeWindows1252("\x80\x8D\x9F\xFF"), "\xE2\x82\xAC\xC2\x8D\xC5\xB8\xC3\xBF");
}

}  // namespace
