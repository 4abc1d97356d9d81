#pragma once
// Character level of XML documents: references on reading, escapes on writing, names, and the
// layout in which a document tree is written out as text.

#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace xmldoc {

// Replaces the five predefined entities and numeric character references (decimal, or
// hexadecimal after an x) by their characters. A reference to NUL, to a lone surrogate or
// beyond U+10FFFF becomes U+FFFD; two references that form a surrogate pair become the one
// character. Anything else after "&" (other entities included) stays as written.
std::string DecodeReferences(std::string_view raw);

// An attribute value as written between double quotes: the five escapes, plus CR, LF and tab
// as character references so that a value keeps its line breaks and stays on one line.
std::string EscapeAttribute(std::string_view value);

// Character data as written between tags.
std::string EscapeText(std::string_view value);

// Whether the text can stand as an element or attribute name.
bool IsValidName(std::string_view name);

// The document written without indentation, every node that stands on its own line followed
// by CR LF: "<tag a=\"v\"/>" for an element without children, "<tag>" CR LF, the children,
// "</tag>" CR LF for one with children. An element that holds character data keeps its
// content on one line so that no line break is added to the data.
std::string Serialize(const pugi::xml_node& document);

}  // namespace xmldoc
