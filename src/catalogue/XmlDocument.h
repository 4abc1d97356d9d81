#pragma once
// A small XML document with cursor navigation, used for the catalogue, the keyboard layouts
// and profile export files.
//
// Reading: LoadFile, FindElement (root), EnterElement, FindElement for each wanted child in
// document order, GetAttribute, EnterElement to go deeper, FindElement again with the same tag
// to walk a list of like elements, LeaveElement to come back. Writing: SetText with the XML
// declaration, then AddElement / SetAttribute / EnterElement, then SaveFile.
//
// The cursor has a level (the children of the parent element, or the document itself), a main
// element on that level (the current element, possibly none) and remembers the element it
// last came out of. Text is UTF-8 in memory.

#include <cstddef>
#include <filesystem>
#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "catalogue/XmlDocumentEncoding.h"

// What happened during the last load, parse or save. Kept for diagnostics.
struct XmlResult {
  std::string action;  // "load_file", "load_bytes", "set_text" or "save_file"
  // Empty when all went well; otherwise one of "file_error", "no_root_element",
  // "root_has_sibling", "lone_end_tag", "unended_start_tag", "unterminated_tag_syntax",
  // "out_of_memory".
  std::string error;
  std::string detail;      // a readable explanation of the error
  std::size_t offset = 0;  // byte position in the document text where the error was found
  std::string encoding;    // encoding the file was read or written in
  XmlByteOrderMark mark = XmlByteOrderMark::kNone;  // mark found or written
  std::size_t fileSize = 0;                         // bytes read or written
};

class XmlDocument {
 public:
  XmlDocument() = default;
  // The cursor points into the tree, so a document stays where it was made.
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // Reads and parses a file; true when it could be read and is well-formed (exactly one root
  // element, no structural error). The cursor goes back to the document level.
  bool LoadFile(const std::filesystem::path& path);
  // The same for the bytes of a file already in memory.
  bool LoadBytes(std::string_view fileBytes);
  // Replaces the document with the given text (invalid UTF-8 becomes U+FFFD, NUL is dropped)
  // and parses it; true when it is well-formed. A text with only a declaration is accepted
  // as the start of a new document: AddElement then adds the root.
  bool SetText(std::string_view text);

  // Moves to the next element after the main element on the current level (the first one when
  // there is none) whose tag equals `tag` exactly. On failure the cursor stays where it was.
  bool FindElement(std::string_view tag);
  // The same for the next element of any tag.
  bool FindElement();
  // Makes the main element the parent; its children become the level, with no main element.
  bool EnterElement();
  // Makes the parent the main element again, one level up. False at the document level.
  bool LeaveElement();

  // Tag of the main element; empty when there is none.
  std::string GetTagName() const;
  // Decoded value of an attribute of the main element; empty when there is none.
  std::string GetAttribute(std::string_view name) const;

  // Inserts an empty element after the main element (at the end of the level when there is
  // none) and makes it the main element. Refused for an invalid tag, for a second root
  // element, and for a document whose text could not be parsed (its content would be lost).
  bool AddElement(std::string_view tag);
  // Sets an attribute of the main element: an existing one keeps its place and gets the new
  // value, a new one goes after the others.
  bool SetAttribute(std::string_view name, std::string_view value);

  // Writes the document in the encoding its declaration names (UTF-8 when it names none; a
  // file read as UTF-16 stays UTF-16), with a byte-order mark only when the document was
  // read from a file that had one. False when the file cannot be written.
  bool SaveFile(const std::filesystem::path& path);

  // The document text: as read or set while unchanged, written out after a change.
  std::string GetDocumentText() const;
  // The bytes SaveFile writes.
  std::string GetFileBytes() const;
  const XmlResult& GetResult() const { return result_; }

 private:
  bool Parse(std::string text, const char* action);
  void Clear();
  void ResetCursor();
  pugi::xml_node Level() const;
  bool FindFromMain(std::string_view tag, bool anyTag);
  xmldoc::EncodedText Encode() const;

  pugi::xml_document tree_;
  pugi::xml_node parent_;  // empty at the document level
  pugi::xml_node main_;
  pugi::xml_node child_;  // the element LeaveElement came out of
  std::string text_;
  bool textIsCurrent_ = true;  // false once the tree was changed after the last parse
  bool treeComplete_ = true;   // false when the text could not be parsed
  XmlByteOrderMark loadedMark_ = XmlByteOrderMark::kNone;
  XmlResult result_;
};
