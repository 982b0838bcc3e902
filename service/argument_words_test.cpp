#include "service/argument_words.h"

#include <gtest/gtest.h>

namespace service {
namespace {

using Words = std::vector<std::string>;

// The rules of the system's own argument splitting, which the installer's and a script's quoting follow.
TEST(ArgumentWords, QuotesGroupBlanksAndBackslashesEscapeOnlyBeforeAQuote) {
  const struct {
    const char* line;
    Words words;
  } cases[] = {
      {"", {}},
      {"  a \t b  ", {"a", "b"}},
      {"/model:\"Varnelo 600\" \"/vendor:Orvik\"", {"/model:Varnelo 600", "/vendor:Orvik"}},
      {"\"\"", {""}},
      {"a\"\"b", {"ab"}},
      {"/password:pa\\\"ss", {"/password:pa\"ss"}},
      {"\"/password:a \\\"b\\\" c\"", {"/password:a \"b\" c"}},
      {"C:\\Program Files\\x", {"C:\\Program", "Files\\x"}},
      {"\"C:\\dir\\\\\" next", {"C:\\dir\\", "next"}},
      {"a\\\\\\\\\"b c\"", {"a\\\\b c"}},
      {"\"open to the end", {"open to the end"}},
  };
  for (const auto& c : cases) EXPECT_EQ(argument_words(c.line), c.words) << c.line;
}

}  // namespace
}  // namespace service
