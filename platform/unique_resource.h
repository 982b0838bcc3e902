// UniqueResource: sole owner of one handle-like value (a kernel handle, a registry key, a mapped
// view, a GDI object). Copying is forbidden; moving hands the value over and leaves the source
// empty; assigning or resetting closes what was held before. Traits say what "empty" is and how
// to close:
//   struct Traits { using Value = ...; static Value empty(); static bool is_open(Value);
//                   static void close(Value); };
#pragma once

#include <utility>

namespace platform {

template <typename Traits>
class UniqueResource {
 public:
  using Value = typename Traits::Value;

  UniqueResource() noexcept : value_(Traits::empty()) {}
  explicit UniqueResource(Value value) noexcept : value_(value) {}
  ~UniqueResource() { reset(); }

  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;

  UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Value get() const noexcept { return value_; }
  bool is_open() const noexcept { return Traits::is_open(value_); }
  explicit operator bool() const noexcept { return is_open(); }

  // Gives the value up without closing it.
  Value release() noexcept { return std::exchange(value_, Traits::empty()); }

  // Closes what was held (unless it is `value` itself) and takes `value`.
  void reset(Value value = Traits::empty()) noexcept {
    Value old = std::exchange(value_, value);
    if (Traits::is_open(old) && old != value) Traits::close(old);
  }

  // For out-parameters of creating calls: closes what was held and exposes the empty slot.
  Value* receive() noexcept {
    reset();
    return &value_;
  }

 private:
  Value value_;
};

}  // namespace platform
