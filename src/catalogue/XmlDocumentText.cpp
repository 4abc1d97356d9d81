#include "catalogue/XmlDocumentText.h"

#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "base/Text.h"

namespace xmldoc {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
// Numeric references saturate here, so that long digit runs cannot overflow.
constexpr char32_t kBeyondUnicode = 0x110000;
constexpr std::string_view kLineBreak = "\r\n";

struct Reference {
  char32_t value;
  std::size_t length;  // of the whole reference, "&" to ";"
};

int DigitValue(char c, bool hexadecimal) {
  if (c >= '0' && c <= '9') return c - '0';
  if (!hexadecimal) return -1;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<Reference> ParseNamedReference(std::string_view raw, std::size_t pos) {
  static constexpr std::array<std::pair<std::string_view, char>, 5> kEntities = {
      {{"lt;", '<'}, {"gt;", '>'}, {"amp;", '&'}, {"apos;", '\''}, {"quot;", '"'}}};
  const std::string_view rest = raw.substr(pos + 1);
  for (const auto& [name, character] : kEntities) {
    if (rest.starts_with(name)) return Reference{static_cast<char32_t>(character), name.size() + 1};
  }
  return std::nullopt;
}

std::optional<Reference> ParseNumericReference(std::string_view raw, std::size_t pos) {
  std::size_t i = pos + 1;
  if (i >= raw.size() || raw[i] != '#') return std::nullopt;
  ++i;
  const bool hexadecimal = i < raw.size() && (raw[i] == 'x' || raw[i] == 'X');
  if (hexadecimal) ++i;
  const std::size_t digitsStart = i;
  char32_t value = 0;
  for (int digit = 0; i < raw.size() && (digit = DigitValue(raw[i], hexadecimal)) >= 0; ++i) {
    value = std::min<char32_t>(value * (hexadecimal ? 16 : 10) + digit, kBeyondUnicode);
  }
  if (i == digitsStart || i >= raw.size() || raw[i] != ';') return std::nullopt;
  return Reference{value, i + 1 - pos};
}

bool IsHighSurrogate(char32_t value) {
  return value >= 0xD800 && value <= 0xDBFF;
}
bool IsLowSurrogate(char32_t value) {
  return value >= 0xDC00 && value <= 0xDFFF;
}

// A numeric reference, joined with the one after it when the two form a surrogate pair.
std::optional<Reference> ParseCharacterReference(std::string_view raw, std::size_t pos) {
  std::optional<Reference> reference = ParseNumericReference(raw, pos);
  if (!reference || !IsHighSurrogate(reference->value)) return reference;
  const std::size_t next = pos + reference->length;
  if (next >= raw.size() || raw[next] != '&') return reference;
  const std::optional<Reference> low = ParseNumericReference(raw, next);
  if (!low || !IsLowSurrogate(low->value)) return reference;
  const char32_t joined = 0x10000 + ((reference->value - 0xD800) << 10) + (low->value - 0xDC00);
  return Reference{joined, reference->length + low->length};
}

// The escaped form of a character; empty for one that is written as it is.
std::string_view EscapeOf(char c) {
  switch (c) {
    case '<':
      return "&lt;";
    case '&':
      return "&amp;";
    case '>':
      return "&gt;";
    case '\'':
      return "&apos;";
    case '"':
      return "&quot;";
    case '\r':
      return "&#13;";
    case '\n':
      return "&#10;";
    case '\t':
      return "&#9;";
    default:
      return {};
  }
}

// The value with each of the `special` characters replaced by its escaped form.
std::string Escape(std::string_view value, std::string_view special) {
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    if (special.find(c) == std::string_view::npos) {
      out += c;
    } else {
      out += EscapeOf(c);
    }
  }
  return out;
}

bool IsNameStart(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameChar(unsigned char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

void AppendAttributes(std::string& out, const pugi::xml_node& node) {
  for (const pugi::xml_attribute& attribute : node.attributes()) {
    out += ' ';
    out += attribute.name();
    out += "=\"";
    out += EscapeAttribute(attribute.value());
    out += '"';
  }
}

bool IsBlankText(const pugi::xml_node& node) {
  if (node.type() != pugi::node_pcdata) return false;
  for (const char* c = node.value(); *c != '\0'; ++c) {
    if (*c != ' ' && *c != '\t' && *c != '\r' && *c != '\n') return false;
  }
  return true;
}

// Whether the children of an element are character data that must be written exactly as they
// are, with no line breaks added: any text that is not just blanks between child nodes.
bool HoldsCharacterData(const pugi::xml_node& element) {
  bool hasText = false;
  bool hasOtherNodes = false;
  for (const pugi::xml_node& child : element.children()) {
    if (child.type() == pugi::node_cdata) return true;
    if (child.type() == pugi::node_pcdata && !IsBlankText(child)) return true;
    hasText = hasText || child.type() == pugi::node_pcdata;
    hasOtherNodes = hasOtherNodes || child.type() != pugi::node_pcdata;
  }
  return hasText && !hasOtherNodes;
}

// A node as it is written, except that an element with children gets only its start tag.
void AppendNode(std::string& out, const pugi::xml_node& node) {
  switch (node.type()) {
    case pugi::node_element:
      out += '<';
      out += node.name();
      AppendAttributes(out, node);
      out += node.first_child() ? ">" : "/>";
      break;
    case pugi::node_declaration:
      out += "<?";
      out += node.name();
      AppendAttributes(out, node);
      out += "?>";
      break;
    case pugi::node_pi:
      out += "<?";
      out += node.name();
      if (*node.value() != '\0') out += ' ';
      out += node.value();
      out += "?>";
      break;
    case pugi::node_comment:
      out += "<!--";
      out += node.value();
      out += "-->";
      break;
    case pugi::node_doctype:
      out += "<!DOCTYPE ";
      out += node.value();
      out += '>';
      break;
    case pugi::node_cdata:
      out += "<![CDATA[";
      out += node.value();
      out += "]]>";
      break;
    case pugi::node_pcdata:
      out += EscapeText(node.value());
      break;
    default:
      break;
  }
}

}  // namespace

std::string DecodeReferences(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  std::size_t pos = 0;
  while (pos < raw.size()) {
    const std::size_t ampersand = raw.find('&', pos);
    out.append(raw.substr(pos, ampersand - pos));
    if (ampersand == std::string_view::npos) break;
    pos = ampersand;
    if (const auto named = ParseNamedReference(raw, pos)) {
      out += static_cast<char>(named->value);
      pos += named->length;
    } else if (const auto numeric = ParseCharacterReference(raw, pos)) {
      base::AppendUtf8(out, numeric->value == 0 ? kReplacement : numeric->value);
      pos += numeric->length;
    } else {
      out += '&';
      ++pos;
    }
  }
  return out;
}

std::string EscapeAttribute(std::string_view value) {
  return Escape(value, "<&>'\"\r\n\t");
}

std::string EscapeText(std::string_view value) {
  return Escape(value, "<&>\r");
}

bool IsValidName(std::string_view name) {
  if (name.empty() || !IsNameStart(static_cast<unsigned char>(name[0]))) return false;
  for (char c : name) {
    if (!IsNameChar(static_cast<unsigned char>(c))) return false;
  }
  return base::IsValidUtf8(name);
}

std::string Serialize(const pugi::xml_node& document) {
  std::string out;
  // For each element whose children are being written: whether its own level is inline.
  std::vector<bool> outerInline;
  bool inlineLevel = false;
  pugi::xml_node node = document.first_child();
  while (node) {
    // Blanks between nodes that stand on their own lines are layout, not content.
    const bool isLayout = !inlineLevel && IsBlankText(node);
    if (!isLayout) AppendNode(out, node);
    if (!isLayout && node.type() == pugi::node_element && node.first_child()) {
      outerInline.push_back(inlineLevel);
      inlineLevel = inlineLevel || HoldsCharacterData(node);
      if (!inlineLevel) out += kLineBreak;
      node = node.first_child();
      continue;
    }
    if (!isLayout && !inlineLevel) out += kLineBreak;
    while (!node.next_sibling() && !outerInline.empty()) {
      node = node.parent();
      out += "</";
      out += node.name();
      out += '>';
      inlineLevel = outerInline.back();
      outerInline.pop_back();
      if (!inlineLevel) out += kLineBreak;
    }
    node = node.next_sibling();
  }
  return out;
}

}  // namespace xmldoc
