#include "catalogue/XmlDocument.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <vector>

#include "base/Files.h"
#include "catalogue/XmlDocumentText.h"

namespace {

// Entity and character references are decoded by our own code after parsing, so no value can
// hold a NUL or invalid UTF-8, and entities declared in a DOCTYPE are never expanded. Text
// outside the root is kept (fragment mode) so that the document level can be checked here;
// blank text is kept so that text content survives a rewrite.
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_eol | pugi::parse_declaration |
                                   pugi::parse_comments | pugi::parse_pi | pugi::parse_doctype |
                                   pugi::parse_fragment | pugi::parse_ws_pcdata;

struct FileRead {
  std::optional<std::string> bytes;
  std::string problem;
};

FileRead ReadFileBytes(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return {std::nullopt, "no such file"};
  std::ifstream in(path, std::ios::binary);
  if (!in) return {std::nullopt, "the file cannot be opened"};
  std::string bytes;
  std::vector<char> chunk(64 * 1024);
  while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
    bytes.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > xmldoc::kMaxFileSize) return {std::nullopt, "the file is too large"};
  }
  if (in.bad()) return {std::nullopt, "the file cannot be read"};
  return {std::move(bytes), {}};
}

pugi::xml_node NextInDocumentOrder(pugi::xml_node node) {
  if (node.first_child()) return node.first_child();
  while (node && !node.next_sibling()) node = node.parent();
  return node.next_sibling();
}

void DecodeValue(pugi::xml_attribute attribute) {
  const std::string_view raw = attribute.value();
  if (raw.find('&') == std::string_view::npos) return;
  const std::string decoded = xmldoc::DecodeReferences(raw);
  attribute.set_value(decoded.c_str(), decoded.size());
}

// The parser keeps references as written; the tree holds the characters they stand for.
void DecodeReferencesInTree(const pugi::xml_node& document) {
  for (pugi::xml_node node = document.first_child(); node; node = NextInDocumentOrder(node)) {
    for (pugi::xml_attribute attribute : node.attributes()) DecodeValue(attribute);
    if (node.type() != pugi::node_pcdata) continue;
    const std::string_view raw = node.value();
    if (raw.find('&') == std::string_view::npos) continue;
    const std::string decoded = xmldoc::DecodeReferences(raw);
    node.set_value(decoded.c_str(), decoded.size());
  }
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsBlankText(std::string_view text) {
  return std::all_of(text.begin(), text.end(), IsBlank);
}

// Whether an end tag called `name`, standing after `before`, closes an element that is still
// open there. Parsing `before` with an empty element added shows the open elements: the added
// element lands in the innermost one.
bool ClosesOpenElement(std::string_view before, std::string_view name) {
  std::string probe(before);
  probe += "<probe/>";
  pugi::xml_document document;
  document.load_buffer(probe.data(), probe.size(), kParseOptions, pugi::encoding_utf8);
  pugi::xml_node node = document;
  while (node.last_child()) node = node.last_child();
  for (node = node.parent(); node.type() == pugi::node_element; node = node.parent()) {
    if (name == node.name()) return true;
  }
  return false;
}

// The parser reports both an end tag that matches no open element and an input that ends
// inside an element as a mismatch; only the first points just past "</".
std::string ClassifyMismatch(std::string_view text, std::size_t offset) {
  if (offset < 2 || offset > text.size() || text.substr(offset - 2, 2) != "</") {
    return "unended_start_tag";
  }
  std::size_t end = offset;
  while (end < text.size() && !IsBlank(text[end]) && text[end] != '>') ++end;
  const std::string_view name = text.substr(offset, end - offset);
  while (end < text.size() && IsBlank(text[end])) ++end;
  if (name.empty() || end >= text.size()) return "unended_start_tag";
  return ClosesOpenElement(text.substr(0, offset - 2), name) ? "unended_start_tag" : "lone_end_tag";
}

std::string ClassifyParseError(const pugi::xml_parse_result& parsed, std::string_view text) {
  switch (parsed.status) {
    case pugi::status_end_element_mismatch:
      return ClassifyMismatch(text,
                              static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, parsed.offset)));
    case pugi::status_out_of_memory:
      return "out_of_memory";
    default:
      return "unterminated_tag_syntax";
  }
}

std::size_t NodeOffset(const pugi::xml_node& node) {
  // The parser notes where an element's name starts, one byte after its "<".
  const std::ptrdiff_t offset = std::max<std::ptrdiff_t>(0, node.offset_debug());
  return static_cast<std::size_t>(node.type() == pugi::node_element && offset > 0 ? offset - 1
                                                                                  : offset);
}

// Exactly one root element and no character data beside it.
void CheckDocumentLevel(const pugi::xml_document& tree, XmlResult& result) {
  bool haveRoot = false;
  for (const pugi::xml_node& node : tree.children()) {
    const bool isData = (node.type() == pugi::node_pcdata && !IsBlankText(node.value())) ||
                        node.type() == pugi::node_cdata;
    if (isData || (node.type() == pugi::node_element && haveRoot)) {
      result.error = "root_has_sibling";
      result.detail = isData ? "character data outside the root element"
                             : "a second element beside the root element";
      result.offset = NodeOffset(node);
      return;
    }
    haveRoot = haveRoot || node.type() == pugi::node_element;
  }
  if (!haveRoot) {
    result.error = "no_root_element";
    result.detail = "the document has no element";
  }
}

}  // namespace

bool XmlDocument::LoadFile(const std::filesystem::path& path) {
  FileRead read = ReadFileBytes(path);
  if (!read.bytes) {
    Clear();
    result_ = XmlResult{};
    result_.action = "load_file";
    result_.error = "file_error";
    result_.detail = read.problem;
    return false;
  }
  const bool wellFormed = LoadBytes(*read.bytes);
  result_.action = "load_file";
  return wellFormed;
}

bool XmlDocument::LoadBytes(std::string_view fileBytes) {
  xmldoc::DecodedText decoded = xmldoc::DecodeFileBytes(fileBytes);
  const bool wellFormed = Parse(std::move(decoded.text), "load_bytes");
  loadedMark_ = decoded.mark;
  result_.encoding = decoded.encoding;
  result_.mark = decoded.mark;
  result_.fileSize = fileBytes.size();
  return wellFormed;
}

bool XmlDocument::SetText(std::string_view text) {
  return Parse(xmldoc::SanitizeUtf8(text), "set_text");
}

bool XmlDocument::Parse(std::string text, const char* action) {
  Clear();
  text_ = std::move(text);
  result_ = XmlResult{};
  result_.action = action;
  const pugi::xml_parse_result parsed =
      tree_.load_buffer(text_.data(), text_.size(), kParseOptions, pugi::encoding_utf8);
  if (!parsed) {
    result_.error = ClassifyParseError(parsed, text_);
    result_.detail = parsed.description();
    result_.offset = static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, parsed.offset));
    tree_.reset();
    treeComplete_ = false;
    return false;
  }
  DecodeReferencesInTree(tree_);
  CheckDocumentLevel(tree_, result_);
  return result_.error.empty();
}

void XmlDocument::Clear() {
  tree_.reset();
  text_.clear();
  textIsCurrent_ = true;
  treeComplete_ = true;
  loadedMark_ = XmlByteOrderMark::kNone;
  ResetCursor();
}

void XmlDocument::ResetCursor() {
  parent_ = pugi::xml_node();
  main_ = pugi::xml_node();
  child_ = pugi::xml_node();
}

pugi::xml_node XmlDocument::Level() const {
  return parent_ ? parent_ : tree_.root();
}

bool XmlDocument::FindElement(std::string_view tag) {
  return FindFromMain(tag, false);
}

bool XmlDocument::FindElement() {
  return FindFromMain({}, true);
}

bool XmlDocument::FindFromMain(std::string_view tag, bool anyTag) {
  pugi::xml_node node = main_ ? main_.next_sibling() : Level().first_child();
  for (; node; node = node.next_sibling()) {
    if (node.type() == pugi::node_element && (anyTag || tag == node.name())) {
      main_ = node;
      child_ = pugi::xml_node();
      return true;
    }
  }
  return false;
}

bool XmlDocument::EnterElement() {
  if (!main_) return false;
  parent_ = main_;
  main_ = pugi::xml_node();
  child_ = pugi::xml_node();
  return true;
}

bool XmlDocument::LeaveElement() {
  if (!parent_) return false;
  child_ = main_;
  main_ = parent_;
  parent_ = parent_.parent();
  if (parent_.type() != pugi::node_element) parent_ = pugi::xml_node();
  return true;
}

std::string XmlDocument::GetTagName() const {
  return main_ ? main_.name() : "";
}

std::string XmlDocument::GetAttribute(std::string_view name) const {
  for (const pugi::xml_attribute& attribute : main_.attributes()) {
    if (name == attribute.name()) return attribute.value();
  }
  return {};
}

bool XmlDocument::AddElement(std::string_view tag) {
  if (!treeComplete_ || !xmldoc::IsValidName(tag)) return false;
  pugi::xml_node level = Level();
  // A document has one root element.
  if (!parent_ && level.find_child([](const pugi::xml_node& node) {
        return node.type() == pugi::node_element;
      })) {
    return false;
  }
  const std::string name(tag);
  pugi::xml_node added =
      main_ ? level.insert_child_after(name.c_str(), main_) : level.append_child(name.c_str());
  if (!added) return false;
  main_ = added;
  child_ = pugi::xml_node();
  textIsCurrent_ = false;
  return true;
}

bool XmlDocument::SetAttribute(std::string_view name, std::string_view value) {
  if (!main_ || !xmldoc::IsValidName(name)) return false;
  const std::string text = xmldoc::SanitizeUtf8(value);
  pugi::xml_attribute attribute;
  for (pugi::xml_attribute existing : main_.attributes()) {
    if (name == existing.name()) {
      attribute = existing;
      break;
    }
  }
  if (!attribute) attribute = main_.append_attribute(std::string(name).c_str());
  if (!attribute || !attribute.set_value(text.c_str(), text.size())) return false;
  textIsCurrent_ = false;
  return true;
}

std::string XmlDocument::GetDocumentText() const {
  return textIsCurrent_ ? text_ : xmldoc::Serialize(tree_);
}

xmldoc::EncodedText XmlDocument::Encode() const {
  const std::string text = GetDocumentText();
  std::string encoding = xmldoc::DeclaredEncoding(text);
  if (encoding.empty() && loadedMark_ == XmlByteOrderMark::kUtf16Le) encoding = "UTF-16LE";
  if (encoding.empty() && loadedMark_ == XmlByteOrderMark::kUtf16Be) encoding = "UTF-16BE";
  return xmldoc::EncodeText(text, encoding, loadedMark_);
}

std::string XmlDocument::GetFileBytes() const {
  return Encode().bytes;
}

bool XmlDocument::SaveFile(const std::filesystem::path& path) {
  const xmldoc::EncodedText encoded = Encode();
  result_ = XmlResult{};
  result_.action = "save_file";
  result_.encoding = encoded.encoding;
  result_.mark = encoded.mark;
  // The file is replaced whole: a failed save keeps what was there.
  std::string reason;
  if (!base::WriteFileAtomically(path, encoded.bytes, &reason)) {
    result_.error = "file_error";
    result_.detail = reason;
    return false;
  }
  result_.fileSize = encoded.bytes.size();
  return true;
}
