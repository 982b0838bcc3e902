#include "service/argument_words.h"

namespace service {
namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> argument_words(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (blank(c) && !quoted) {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
      continue;
    }
    in_word = true;
    if (c == '\\') {
      std::size_t backslashes = 0;
      while (i < line.size() && line[i] == '\\') ++backslashes, ++i;
      const bool before_quote = i < line.size() && line[i] == '"';
      word.append(before_quote ? backslashes / 2 : backslashes, '\\');
      if (before_quote && backslashes % 2 == 1) {
        word += '"';
      } else {
        --i;  // the quote, or whatever follows, is read in the next turn
      }
      continue;
    }
    if (c == '"')
      quoted = !quoted;
    else
      word += c;
  }
  if (in_word) words.push_back(word);
  return words;
}

}  // namespace service
