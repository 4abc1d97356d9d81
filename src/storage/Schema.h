#pragma once
// The statements that build the settings database: 18 tables and 14 indexes, in the order a
// new file receives them.

#include <span>

namespace storage {

std::span<const char* const> SchemaStatements();

}  // namespace storage
