#pragma once
// Byte-level side of XML documents: which encoding a file is in, turning its bytes into the
// UTF-8 text the document keeps, and turning that text back into the bytes of a saved file.

#include <string>
#include <string_view>

// The byte-order mark a file started with (and that a saved copy gets back).
enum class XmlByteOrderMark { kNone, kUtf8, kUtf16Le, kUtf16Be };

namespace xmldoc {

// Files larger than this are not read: none of the application's documents comes near it, and
// it keeps a hostile file from exhausting memory.
inline constexpr std::size_t kMaxFileSize = 64u * 1024 * 1024;

struct DecodedText {
  std::string text;      // valid UTF-8 without NUL characters
  std::string encoding;  // the encoding the bytes were read in
  XmlByteOrderMark mark = XmlByteOrderMark::kNone;
};

struct EncodedText {
  std::string bytes;
  std::string encoding;  // the encoding actually written
  XmlByteOrderMark mark = XmlByteOrderMark::kNone;
};

// Turns the bytes of a document file into text: a byte-order mark decides first; without one
// the encoding named by the XML declaration, UTF-8 for a file that starts with "<", and
// otherwise UTF-8 when the bytes are valid UTF-8 and Windows-1252 when they are not.
DecodedText DecodeFileBytes(std::string_view bytes);

// Turns document text into file bytes in the named encoding (UTF-8 when the name is unknown).
// A mark is written only when the document was read from a file that had one; for "UTF-16"
// without a byte order, the order of that mark is kept (little-endian otherwise).
EncodedText EncodeText(std::string_view utf8, std::string_view encoding,
                       XmlByteOrderMark loadedMark);

// The value of the encoding attribute of the XML declaration at the start of the text; empty
// when there is no declaration, no such attribute or the value is not a plausible name.
std::string DeclaredEncoding(std::string_view text);

// UTF-8 with every NUL removed and every byte that does not start a valid sequence replaced
// by U+FFFD.
std::string SanitizeUtf8(std::string_view bytes);

// 16-bit units in the given byte order to UTF-8. NUL units are dropped, an unpaired surrogate
// becomes U+FFFD and an odd last byte is ignored.
std::string DecodeUtf16(std::string_view bytes, bool bigEndian);

// Windows-1252 bytes to UTF-8 (the five undefined bytes map to the C1 controls, as Windows does).
std::string DecodeWindows1252(std::string_view bytes);

// UTF-8 to UTF-16 bytes in the given order, without a mark.
std::string EncodeUtf16(std::string_view utf8, bool bigEndian);

}  // namespace xmldoc
