#pragma once
// The names of profiles: what a name may hold, and the first free one.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A name without control characters and without blanks at either end, cut to `maxLength`
// characters (code points).
std::string CleanName(std::string_view name, std::size_t maxLength);

// `name` when no taken name equals it; otherwise (and for an empty name, with `base` in its
// place) "<name> 1", "<name> 2", ...: the first that is free. A taken name that already ends in
// a number is numbered anew ("Work 1" taken gives "Work 2").
std::string UniqueName(const std::string& name, const std::vector<std::string>& takenNames,
                       const std::string& base);

// "<base> 1", "<base> 2", ...: the first name that is not taken; "<base> 1000" when all are.
std::string NumberedName(const std::string& base, const std::vector<std::string>& takenNames);
