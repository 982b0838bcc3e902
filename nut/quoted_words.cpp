#include "nut/quoted_words.h"

namespace nut {
namespace {

bool is_blank(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// What NUT's parser keeps inside a word: printable ASCII and DEL.
bool is_word_byte(unsigned char c) { return c >= 0x20 && c <= 0x7F; }

class WordSplitter {
 public:
  Words split(std::string_view line) {
    for (const char ch : line) take(static_cast<unsigned char>(ch));
    if (in_word_) end_word();
    return std::move(words_);
  }

 private:
  void take(unsigned char c) {
    if (escaped_) {
      escaped_ = false;
      add(c);
      return;
    }
    if (c == '\\') {
      escaped_ = true;
      in_word_ = true;
      return;
    }
    if (in_quotes_) {
      if (c == '"') end_word();
      else add(c);
      return;
    }
    if (c == '"' && !in_word_) {
      in_quotes_ = true;
      in_word_ = true;
    } else if (is_blank(c)) {
      if (in_word_) end_word();
    } else {
      in_word_ = true;
      add(c);
    }
  }

  void add(unsigned char c) {
    if (is_word_byte(c)) word_.push_back(static_cast<char>(c));
  }

  void end_word() {
    if (words_.size() < kMaxWords) words_.push_back(std::move(word_));
    word_.clear();
    in_word_ = false;
    in_quotes_ = false;
  }

  Words words_;
  std::string word_;
  bool in_word_ = false;
  bool in_quotes_ = false;
  bool escaped_ = false;
};

}  // namespace

bool is_plain_word(std::string_view word) {
  if (word.empty()) return false;
  for (const char ch : word) {
    const auto c = static_cast<unsigned char>(ch);
    if (!is_word_byte(c) || c == ' ' || c == '"' || c == '\\') return false;
  }
  return true;
}

Words split_words(std::string_view line) { return WordSplitter().split(line); }

std::string quote_value(std::string_view value) {
  std::string text;
  text.reserve(value.size() + 2);
  text.push_back('"');
  for (const char ch : value) {
    if (static_cast<unsigned char>(ch) < 0x20) continue;
    if (ch == '"' || ch == '\\') text.push_back('\\');
    text.push_back(ch);
  }
  text.push_back('"');
  return text;
}

std::string request_word(std::string_view word) {
  if (is_plain_word(word)) return std::string(word);
  return quote_value(word);
}

}  // namespace nut
