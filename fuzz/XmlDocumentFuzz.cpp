// Feeds arbitrary bytes to XmlDocument both as in-memory text and as the content of a file,
// walks every element with the cursor, adds an element and writes the document out again.
// What is written must read back as the same document.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/Text.h"
#include "catalogue/XmlDocument.h"

namespace {

// Inputs beyond this size only slow the search down; the reader's own limits are tested
// elsewhere.
constexpr std::size_t kMaxInput = 256 * 1024;

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken invariant: %s\n", what);
  std::abort();
}

void RequireCleanText(std::string_view text, const char* what) {
  Require(base::IsValidUtf8(text) && text.find('\0') == std::string_view::npos, what);
}

// Visits every element in document order and comes back to the document level.
void WalkEveryElement(XmlDocument& document) {
  std::size_t depth = 0;
  while (true) {
    if (document.FindElement()) {
      const std::string tag = document.GetTagName();
      Require(!tag.empty(), "a found element has a tag");
      RequireCleanText(tag, "tag is clean UTF-8");
      RequireCleanText(document.GetAttribute(tag), "attribute is clean UTF-8");
      RequireCleanText(document.GetAttribute("v"), "attribute is clean UTF-8");
      Require(document.EnterElement(), "an element can be entered");
      ++depth;
      continue;
    }
    if (depth == 0) break;
    Require(document.LeaveElement(), "an entered element can be left");
    --depth;
  }
  Require(!document.LeaveElement(), "the walk ends at the document level");
}

// Adds an element at the end of the root (or as the root); false when the document refuses.
// After the walk the cursor stands on the root, if there is one.
bool AddMarker(XmlDocument& document) {
  if (!document.GetTagName().empty() || document.FindElement()) {
    if (!document.EnterElement()) return false;
  }
  return document.AddElement("fuzz") && document.SetAttribute("v", "<&>\"'\r\n\t\xC3\xA9");
}

// Only Unicode files are sure to read back: a legacy encoding may lack characters of names,
// comments or the declaration itself.
bool IsSavedAsUnicode(const std::string& text) {
  const std::string encoding = base::ToUpperAscii(xmldoc::DeclaredEncoding(text));
  return encoding.empty() || encoding == "UTF-8" || encoding == "UTF8" || encoding == "UTF-16" ||
         encoding == "UTF-16LE" || encoding == "UTF-16BE";
}

// Writing and reading again must give the same document.
void CheckRewrite(XmlDocument& document) {
  const std::string text = document.GetDocumentText();
  RequireCleanText(text, "written text is clean UTF-8");
  const std::string bytes = document.GetFileBytes();

  XmlDocument reread;
  Require(reread.SetText(text), "written text parses");
  Require(reread.FindElement() && reread.EnterElement(), "written text has its root");
  while (reread.FindElement("fuzz")) {
  }
  Require(reread.GetTagName() == "fuzz", "the added element is the last of its level");
  Require(reread.SetAttribute("v", "<&>\"'\r\n\t\xC3\xA9"), "attribute can be set again");
  Require(reread.GetDocumentText() == text, "written text is written the same way again");

  XmlDocument reloaded;
  const bool loaded = reloaded.LoadBytes(bytes);
  if (IsSavedAsUnicode(text)) Require(loaded, "saved bytes load again");
}

void Exercise(XmlDocument& document, bool wellFormed) {
  RequireCleanText(document.GetDocumentText(), "document text is clean UTF-8");
  WalkEveryElement(document);
  const bool added = AddMarker(document);
  if (wellFormed) Require(added, "a well-formed document takes a new element");
  if (wellFormed) CheckRewrite(document);
  RequireCleanText(document.GetDocumentText(), "document text is clean UTF-8");
  document.GetFileBytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  XmlDocument fromText;
  Exercise(fromText, fromText.SetText(bytes));
  XmlDocument fromFile;
  Exercise(fromFile, fromFile.LoadBytes(bytes));
  return 0;
}
