// Parsed<T>: the outcome of reading outside input (a wire command, a command-language line, a
// scenario file, the command line): either a value or a message saying what was wrong.
// Bad input is an ordinary result here; nothing in the simulator throws for it.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace upssim {

template <typename T>
struct Parsed {
  std::optional<T> value;
  std::string error;  // set exactly when value is empty

  explicit operator bool() const { return value.has_value(); }
};

template <typename T>
Parsed<T> success(T value) {
  return Parsed<T>{std::move(value), {}};
}

// Converts to a failed Parsed<T> of any T, so a parser can just `return Failure{"why"};`.
struct Failure {
  std::string message;

  template <typename T>
  operator Parsed<T>() const {  // NOLINT(google-explicit-constructor): that is its purpose
    return Parsed<T>{std::nullopt, message};
  }
};

}  // namespace upssim
