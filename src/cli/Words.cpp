#include "cli/Words.h"

#include <algorithm>

namespace cli {
namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Edit distance with the case of ASCII letters ignored, where two neighbouring letters typed
// the wrong way round ("kyes") count as one slip, as a missing or a wrong letter does.
std::size_t Distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> twoBack(b.size() + 1);
  std::vector<std::size_t> previous(b.size() + 1);
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    twoBack.swap(previous);
    previous.swap(row);
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const bool same = Lower(a[i - 1]) == Lower(b[j - 1]);
      row[j] = std::min({previous[j] + 1, row[j - 1] + 1, previous[j - 1] + (same ? 0 : 1)});
      const bool swapped = i > 1 && j > 1 && Lower(a[i - 1]) == Lower(b[j - 2]) &&
                           Lower(a[i - 2]) == Lower(b[j - 1]);
      if (swapped) row[j] = std::min(row[j], twoBack[j - 2] + 1);
    }
  }
  return row[b.size()];
}

}  // namespace

bool SameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string ChoiceList(const std::vector<std::string>& words) {
  std::string text;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) text += i + 1 == words.size() ? " or " : ", ";
    text += words[i];
  }
  return text;
}

std::vector<std::string> ClosestWords(std::string_view word,
                                      const std::vector<std::string>& candidates,
                                      std::size_t count) {
  if (word.empty()) return {};
  // A slip: about one wrong letter in three, at least one.
  const std::size_t allowed = std::max<std::size_t>(1, word.size() / 3);
  std::vector<std::pair<std::size_t, std::string>> close;
  for (const std::string& candidate : candidates) {
    const std::size_t distance = Distance(word, candidate);
    const bool known = std::any_of(close.begin(), close.end(),
                                   [&](const auto& entry) { return entry.second == candidate; });
    if (distance <= allowed && !known) close.emplace_back(distance, candidate);
  }
  std::stable_sort(close.begin(), close.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> nearest;
  for (std::size_t i = 0; i < close.size() && i < count; ++i) nearest.push_back(close[i].second);
  return nearest;
}

std::string Suggestion(std::string_view word, const std::vector<std::string>& candidates) {
  const std::vector<std::string> nearest = ClosestWords(word, candidates);
  if (nearest.empty()) return {};
  return "; did you mean " + ChoiceList(nearest) + "?";
}

std::string WrappedWords(const std::vector<std::string>& words, std::size_t indent) {
  constexpr std::size_t kWidth = 90;
  std::string text;
  std::string line(indent, ' ');
  for (const std::string& word : words) {
    if (line.size() > indent && line.size() + 1 + word.size() > kWidth) {
      text += line + "\n";
      line.assign(indent, ' ');
    }
    line += (line.size() > indent ? " " : "") + word;
  }
  return text + line + "\n";
}

}  // namespace cli
