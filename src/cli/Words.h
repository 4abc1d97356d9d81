#pragma once
// Small helpers for the words tarvoctl reads: comparing names as a person types them (case does
// not matter), listing the choices, and suggesting the names closest to a mistyped one.

#include <string>
#include <string_view>
#include <vector>

namespace cli {

// Whether two words are the same but for the case of ASCII letters.
bool SameWord(std::string_view a, std::string_view b);

// "a", "a or b", "a, b or c".
std::string ChoiceList(const std::vector<std::string>& words);

// The candidates closest to `word` (by edit distance, case ignored), nearest first, at most
// `count`; only those close enough to be a likely slip of the finger.
std::vector<std::string> ClosestWords(std::string_view word,
                                      const std::vector<std::string>& candidates,
                                      std::size_t count = 3);
// "; did you mean X or Y?" for the closest candidates; empty when none is close.
std::string Suggestion(std::string_view word, const std::vector<std::string>& candidates);

// The words in lines of at most 90 characters, each indented by `indent` spaces and ended by a
// line end.
std::string WrappedWords(const std::vector<std::string>& words, std::size_t indent = 4);

}  // namespace cli
