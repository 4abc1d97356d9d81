#include "profiles/ProfileFile.h"

#include <iterator>

#include "base/Text.h"
#include "catalogue/XmlDocument.h"

namespace {

// The attributes of a key row, in the order they are written.
constexpr const char* kItemAttributes[] = {"fn_layer",     "key_code",     "layout_value",
                                           "layout_desc",  "macro_type",   "macro_value",
                                           "macro_value2", "macro_value3", "macro_desc"};

}  // namespace

bool WriteProfileFile(const std::filesystem::path& path, const std::string& name,
                      const std::vector<storage::KeyAssignmentRecord>& rows, std::string* error) {
  XmlDocument document;
  document.SetText("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n");
  document.AddElement("profile");
  document.EnterElement();
  document.AddElement("profileinfo");
  document.SetAttribute("name", name);
  document.AddElement("key_macro");
  document.EnterElement();
  for (const storage::KeyAssignmentRecord& row : rows) {
    document.AddElement("item");
    const std::string values[] = {std::to_string(row.fn_layer),
                                  std::to_string(row.key_code),
                                  std::to_string(row.layout_value),
                                  row.layout_desc,
                                  std::to_string(row.macro_type),
                                  std::to_string(row.macro_value),
                                  std::to_string(row.macro_value2),
                                  std::to_string(row.macro_value3),
                                  row.macro_desc};
    for (std::size_t i = 0; i < std::size(kItemAttributes); ++i) {
      document.SetAttribute(kItemAttributes[i], values[i]);
    }
  }
  if (document.SaveFile(path)) return true;
  if (error != nullptr) *error = document.GetResult().detail;
  return false;
}

std::optional<ProfileFileContent> ReadProfileFile(const std::filesystem::path& path) {
  XmlDocument document;
  if (!document.LoadFile(path) || !document.FindElement("profile") || !document.EnterElement()) {
    return std::nullopt;
  }
  ProfileFileContent content;
  if (document.FindElement("profileinfo")) content.name = document.GetAttribute("name");
  if (!document.FindElement("key_macro") || !document.EnterElement()) return content;
  while (document.FindElement("item")) {
    storage::KeyAssignmentRecord& row = content.rows.emplace_back();
    auto number = [&](const char* attribute) {
      return base::ToInt(document.GetAttribute(attribute));
    };
    row.fn_layer = number("fn_layer");
    row.key_code = number("key_code");
    row.layout_value = number("layout_value");
    row.layout_desc = document.GetAttribute("layout_desc");
    row.macro_type = number("macro_type");
    row.macro_value = number("macro_value");
    row.macro_value2 = number("macro_value2");
    row.macro_value3 = number("macro_value3");
    row.macro_desc = document.GetAttribute("macro_desc");
  }
  return content;
}
