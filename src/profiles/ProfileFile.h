#pragma once
// The profile export file: an XML document with the profile's name and its key rows. UTF-8
// without a byte-order mark, CR LF after every line:
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <profile>
//   <profileinfo name="..."/>
//   <key_macro>
//   <item fn_layer=".." key_code=".." layout_value=".." layout_desc=".." macro_type=".."
//         macro_value=".." macro_value2=".." macro_value3=".." macro_desc=".."/>
//   ...
//   </key_macro>
//   </profile>
//
// Configuration values, lighting, macros and screen media are not part of it.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "storage/Records.h"

struct ProfileFileContent {
  std::string name;                                // empty when the file names none
  std::vector<storage::KeyAssignmentRecord> rows;  // profile 0; integers by the text rule
};

// Writes the file whole (a failed write keeps the old one); false with a reason in `error`.
bool WriteProfileFile(const std::filesystem::path& path, const std::string& name,
                      const std::vector<storage::KeyAssignmentRecord>& rows,
                      std::string* error = nullptr);

// Reads a file; empty when it cannot be read or its root is not "profile".
std::optional<ProfileFileContent> ReadProfileFile(const std::filesystem::path& path);
