// Test helper: a COM port with a scripted UPS behind it, and a record of every call made on it.
//
// Each write is one command to the UPS. Like on a real line, its answer arrives in the input
// queue only during the next wait, so code that reads before waiting finds nothing.
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "link/serial_port.h"

namespace ups_link::testing {

class ScriptedSerialPort : public SerialPort {
 public:
  // What the UPS answers to one command (carriage return included); empty for silence.
  std::function<std::string(const std::string& command)> ups = [](const std::string&) { return std::string(); };

  std::string queue;  // bytes waiting in the input queue now
  std::vector<std::string> calls;  // "open COM1", "write Q1\r", "wait 1000", "status", "read 47", ...

  bool open_fails = false;
  int settings_read_failures = 0;  // the next this many settings reads fail
  bool settings_write_fails = false;
  bool write_fails = false;
  bool status_fails = false;
  bool read_fails = false;

  bool is_open = false;

  bool open(const char* name) override {
    calls.push_back(std::string("open ") + name);
    is_open = !open_fails;
    return is_open;
  }
  bool read_line_settings() override {
    calls.push_back("read settings");
    if (settings_read_failures == 0) return true;
    --settings_read_failures;
    return false;
  }
  bool apply_line_settings() override {
    calls.push_back("apply settings");
    return !settings_write_fails;
  }
  void close() override {
    calls.push_back("close");
    is_open = false;
  }
  std::size_t write(const char* bytes, std::size_t count) override {
    const std::string command(bytes, count);
    calls.push_back("write " + command);
    if (write_fails) return 0;
    arriving_ += ups(command);
    return count;
  }
  bool queue_status(std::size_t& waiting) override {
    calls.push_back("status");
    waiting = queue.size();
    return !status_fails;
  }
  std::size_t read(char* buffer, std::size_t count) override {
    calls.push_back("read " + std::to_string(count));
    if (read_fails) return 0;
    const std::size_t got = std::min(count, queue.size());
    std::memcpy(buffer, queue.data(), got);
    queue.erase(0, got);
    return got;
  }
  void wait(std::uint32_t ms) override {
    calls.push_back("wait " + std::to_string(ms));
    queue += arriving_;
    arriving_.clear();
  }

  // The calls that match `prefix` (for example every "wait").
  std::vector<std::string> calls_of(const std::string& prefix) const {
    std::vector<std::string> found;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(found),
                 [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
    return found;
  }

 private:
  std::string arriving_;
};

}  // namespace ups_link::testing
