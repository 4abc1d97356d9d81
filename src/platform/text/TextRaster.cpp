#include "platform/text/TextRaster.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

#include "base/Text.h"

namespace platform::text {
namespace {

struct FreeLibrary {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FreeFace {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
struct FreePattern {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
struct FreeFontSet {
  void operator()(FcFontSet* set) const { FcFontSetDestroy(set); }
};
struct FreeCharSet {
  void operator()(FcCharSet* set) const { FcCharSetDestroy(set); }
};
using Library = std::unique_ptr<std::remove_pointer_t<FT_Library>, FreeLibrary>;
using Face = std::unique_ptr<std::remove_pointer_t<FT_Face>, FreeFace>;
using Pattern = std::unique_ptr<FcPattern, FreePattern>;
using FontSet = std::unique_ptr<FcFontSet, FreeFontSet>;
using CharSet = std::unique_ptr<FcCharSet, FreeCharSet>;

constexpr char32_t kReplacement = 0xFFFD;

void SetError(std::string* error, const std::string& text) {
  if (error != nullptr) *error = text;
}

// The code points of a UTF-8 text; bytes that start no valid sequence read as U+FFFD.
std::u32string DecodeUtf8(std::string_view text) {
  std::u32string decoded;
  for (std::size_t i = 0; i < text.size() && decoded.size() < kLongestText;) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const std::string_view sequence = text.substr(i, length);
    if (lead >= 0x80 && (lead < 0xC2 || lead > 0xF4 || !base::IsValidUtf8(sequence))) {
      decoded.push_back(kReplacement);
      ++i;
      continue;
    }
    char32_t code = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) {
      code = (code << 6) | (static_cast<unsigned char>(sequence[k]) & 0x3F);
    }
    decoded.push_back(code);
    i += length;
  }
  return decoded;
}

// The installed fonts in the order fontconfig prefers them for a sans-serif text with these
// characters.
FontSet SortedFonts(const std::u32string& text) {
  static std::once_flag initialised;
  std::call_once(initialised, [] { FcInit(); });
  CharSet wanted(FcCharSetCreate());
  for (char32_t code : text) FcCharSetAddChar(wanted.get(), code);
  Pattern pattern(FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif")));
  if (!pattern || !wanted) return nullptr;
  FcPatternAddCharSet(pattern.get(), FC_CHARSET, wanted.get());
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  return FontSet(FcFontSort(nullptr, pattern.get(), FcTrue, nullptr, &result));
}

// The faces a text needs: the preferred font, and for characters it lacks the first font that
// has them. Faces are opened once per text.
class FaceChooser {
 public:
  FaceChooser(FT_Library library, FcFontSet* fonts, int pixelSize)
      : library_(library), fonts_(fonts), pixelSize_(pixelSize) {}

  FT_Face Primary() { return FaceAt(0); }

  FT_Face FaceFor(char32_t code) {
    for (int i = 0; i < fonts_->nfont; ++i) {
      FcCharSet* covers = nullptr;
      if (FcPatternGetCharSet(fonts_->fonts[i], FC_CHARSET, 0, &covers) != FcResultMatch ||
          !FcCharSetHasChar(covers, code)) {
        continue;
      }
      if (FT_Face face = FaceAt(i)) return face;
    }
    return Primary();
  }

 private:
  FT_Face FaceAt(int index) {
    if (index >= fonts_->nfont) return nullptr;
    if (auto open = faces_.find(index); open != faces_.end()) return open->second.get();
    FcChar8* file = nullptr;
    int faceIndex = 0;
    FcPatternGetString(fonts_->fonts[index], FC_FILE, 0, &file);
    FcPatternGetInteger(fonts_->fonts[index], FC_INDEX, 0, &faceIndex);
    FT_Face face = nullptr;
    if (file == nullptr ||
        FT_New_Face(library_, reinterpret_cast<const char*>(file), faceIndex, &face) != 0) {
      faces_[index] = nullptr;
      return nullptr;
    }
    faces_[index].reset(face);
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize_)) != 0) {
      faces_[index].reset();
      return nullptr;
    }
    return face;
  }

  FT_Library library_;
  FcFontSet* fonts_;
  int pixelSize_;
  std::map<int, Face> faces_;
};

struct Glyph {
  FT_Face face;
  char32_t code;
};

// Copies the rendered glyph's coverage into the bitmap at the pen position; parts outside are
// cut off.
void Blit(const FT_Bitmap& glyph, int left, int top, TextBitmap& bitmap) {
  for (unsigned row = 0; row < glyph.rows; ++row) {
    const int y = top + static_cast<int>(row);
    if (y < 0 || y >= bitmap.height) continue;
    for (unsigned column = 0; column < glyph.width; ++column) {
      const int x = left + static_cast<int>(column);
      if (x < 0 || x >= bitmap.width) continue;
      const std::uint8_t value =
          glyph.buffer[static_cast<std::ptrdiff_t>(row) * glyph.pitch + column];
      std::uint8_t& pixel =
          bitmap.coverage[static_cast<std::size_t>(y) * static_cast<std::size_t>(bitmap.width) +
                          static_cast<std::size_t>(x)];
      pixel = std::max(pixel, value);
    }
  }
}

}  // namespace

std::optional<TextBitmap> RasterizeText(std::string_view utf8, int pixelSize, std::string* error) {
  const std::u32string text = DecodeUtf8(utf8);
  if (text.empty()) {
    SetError(error, "no text");
    return std::nullopt;
  }
  pixelSize = std::clamp(pixelSize, kSmallestPixelSize, kLargestPixelSize);
  FT_Library rawLibrary = nullptr;
  if (FT_Init_FreeType(&rawLibrary) != 0) {
    SetError(error, "the font engine does not start");
    return std::nullopt;
  }
  Library library(rawLibrary);
  const FontSet fonts = SortedFonts(text);
  if (!fonts || fonts->nfont == 0) {
    SetError(error, "no font is installed");
    return std::nullopt;
  }
  FaceChooser chooser(library.get(), fonts.get(), pixelSize);
  FT_Face primary = chooser.Primary();
  if (primary == nullptr) {
    SetError(error, "the font cannot be opened");
    return std::nullopt;
  }
  const int ascender = static_cast<int>(primary->size->metrics.ascender >> 6);
  const int descender = static_cast<int>(primary->size->metrics.descender >> 6);
  std::vector<Glyph> glyphs;
  long advance = 0;
  for (char32_t code : text) {
    FT_Face face = chooser.FaceFor(code);
    if (FT_Load_Char(face, code, FT_LOAD_DEFAULT) != 0) continue;
    glyphs.push_back({face, code});
    advance += face->glyph->advance.x >> 6;
  }
  TextBitmap bitmap;
  bitmap.width = static_cast<int>(std::clamp<long>(advance, 1, 16384));
  bitmap.height = std::max(1, ascender - descender);
  bitmap.coverage.assign(static_cast<std::size_t>(bitmap.width) * bitmap.height, 0);
  int pen = 0;
  for (const Glyph& glyph : glyphs) {
    if (FT_Load_Char(glyph.face, glyph.code, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot slot = glyph.face->glyph;
    if (slot->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
      Blit(slot->bitmap, pen + slot->bitmap_left, ascender - slot->bitmap_top, bitmap);
    }
    pen += static_cast<int>(slot->advance.x >> 6);
  }
  return bitmap;
}

}  // namespace platform::text
