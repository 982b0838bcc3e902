// Test helper: an in-memory ConfigStore that follows the registry reader's rules and
// records every write and deletion in order.
#pragma once

#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/config_store.h"

namespace core {

class FakeConfigStore final : public ConfigStore {
 public:
  void set_dword(const std::string& name, std::uint32_t value) { values_[name] = {Kind::kDword, value, {}}; }
  void set_string(const std::string& name, const std::string& text) { values_[name] = {Kind::kString, 0, text}; }
  void erase(const std::string& name) { values_.erase(name); }
  // Present, but of a type no reader accepts (say, binary).
  void set_mistyped(const std::string& name) { values_[name] = {Kind::kOther, 0, {}}; }

  std::optional<std::uint32_t> dword(const std::string& name) const {
    const auto it = values_.find(name);
    if (it == values_.end() || it->second.kind != Kind::kDword) return std::nullopt;
    return it->second.dword;
  }
  std::optional<std::string> string(const std::string& name) const {
    const auto it = values_.find(name);
    if (it == values_.end() || it->second.kind != Kind::kString) return std::nullopt;
    return it->second.text;
  }
  // Writes of this value fail (and change nothing) from now on.
  void fail_writes(const std::string& name) { failing_.push_back(name); }
  // Names of the values written or deleted, in order.
  const std::vector<std::string>& writes() const { return writes_; }

  bool read_dword(const char* name, std::uint32_t& value) override {
    const auto stored = dword(name);
    if (!stored) return false;
    value = *stored;
    return true;
  }
  bool read_string(const char* name, char* buffer, std::size_t buffer_size) override {
    const auto stored = string(name);
    if (!stored || stored->size() + 1 > buffer_size) return false;
    std::memcpy(buffer, stored->c_str(), stored->size() + 1);
    return true;
  }
  bool write_dword(const char* name, std::uint32_t value) override {
    writes_.emplace_back(name);
    if (fails(name)) return false;
    set_dword(name, value);
    return true;
  }
  bool write_string(const char* name, const char* value) override {
    writes_.emplace_back(name);
    if (fails(name)) return false;
    set_string(name, value);
    return true;
  }
  bool delete_value(const char* name) override {
    writes_.emplace_back(name);
    if (fails(name)) return false;
    erase(name);
    return true;
  }

 private:
  enum class Kind { kDword, kString, kOther };
  struct Value {
    Kind kind;
    std::uint32_t dword;
    std::string text;
  };
  bool fails(const std::string& name) const {
    for (const std::string& failing : failing_)
      if (failing == name) return true;
    return false;
  }

  std::map<std::string, Value> values_;
  std::vector<std::string> writes_;
  std::vector<std::string> failing_;
};

}  // namespace core
