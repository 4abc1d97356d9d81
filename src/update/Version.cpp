#include "update/Version.h"

#include <algorithm>
#include <vector>

#include "base/Text.h"

namespace update {

namespace {

constexpr std::size_t kMaxVersionLength = 10;

std::vector<int> Parts(std::string_view text) {
  std::vector<int> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t dot = text.find('.', start);
    parts.push_back(
        base::ToInt(text.substr(start, dot == std::string_view::npos ? text.npos : dot - start)));
    if (dot == std::string_view::npos) return parts;
    start = dot + 1;
  }
}

}  // namespace

int CompareVersions(std::string_view first, std::string_view second) {
  const std::vector<int> a = Parts(first);
  const std::vector<int> b = Parts(second);
  if (a.size() != b.size()) return 2;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] < b[i]) return 1;
    if (a[i] > b[i]) return -1;
  }
  return 0;
}

bool IsNewerVersion(std::string_view current, std::string_view candidate) {
  std::vector<int> a = Parts(current);
  std::vector<int> b = Parts(candidate);
  const std::size_t length = std::max(a.size(), b.size());
  a.resize(length, 0);
  b.resize(length, 0);
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
}

bool IsVersionText(std::string_view text) {
  if (text.empty() || text.size() > kMaxVersionLength) return false;
  if (text.front() == '.' || text.back() == '.' || text.find("..") != std::string_view::npos) {
    return false;
  }
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return c == '.' || (c >= '0' && c <= '9'); });
}

}  // namespace update
