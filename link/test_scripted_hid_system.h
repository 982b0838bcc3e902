// Test helper: the system's HID side with a scripted UPS behind it.
//
// The UPS receives the text of output reports (behind the report identifier, up to its carriage
// return: what follows in a report is stale buffer content) and answers a whole command with
// input reports of `input_report_length` bytes. A read with no report waiting is a time-out:
// the UPS stayed silent.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/hid_system.h"

namespace ups_link::testing {

using Report = std::vector<std::uint8_t>;

inline const std::string kUpsPath = "\\\\?\\hid#vid_0665&pid_5161#7&1a2b3c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

inline HidInterfaceInfo hid_interface(std::uint16_t vendor, std::uint16_t product, std::string path,
                                      std::uint16_t report_length = 9) {
  return {std::move(path), vendor, product, report_length, report_length};
}

inline HidInterfaceInfo ups_interface() { return hid_interface(0x0665, 0x5161, kUpsPath); }

class ScriptedHidSystem : public HidSystem {
 public:
  // The listing: nullopt stands for an interface that cannot be described.
  std::vector<std::optional<HidInterfaceInfo>> listing;
  bool listing_fails = false;
  int listings = 0;
  bool listing_open = false;

  // The device and the UPS behind it.
  bool plugged = true;
  std::size_t input_report_length = 9;
  std::function<std::string(const std::string& command)> ups = [](const std::string&) { return std::string(); };
  bool write_times_out = false;
  std::optional<std::size_t> write_transfers;  // what a write reports, instead of the whole report

  // What happened.
  std::deque<Report> input;           // input reports not yet read
  std::vector<Report> written;        // output reports as written
  std::vector<std::string> commands;  // the commands the UPS received whole
  std::vector<std::string> opened;
  std::vector<std::uint32_t> waits;
  std::vector<std::uint32_t> read_timeouts;
  std::vector<std::uint32_t> write_timeouts;
  int cancels = 0;

  bool begin_listing() override {
    ++listings;
    listing_open = !listing_fails;
    return listing_open;
  }
  HidListStep list_entry(std::uint32_t index, HidInterfaceInfo& info) override {
    if (index >= listing.size()) return HidListStep::end;
    if (!listing[index]) return HidListStep::skipped;
    info = *listing[index];
    return HidListStep::device;
  }
  void end_listing() override { listing_open = false; }

  bool open(const std::string& path) override {
    opened.push_back(path);
    open_ = plugged;
    return open_;
  }
  void close() override { open_ = false; }
  bool is_open() const override { return open_; }

  HidIoResult write_report(std::span<const std::uint8_t> report, std::uint32_t timeout_ms) override {
    write_timeouts.push_back(timeout_ms);
    if (!open_ || !plugged) return {HidIo::failed, 0};
    written.emplace_back(report.begin(), report.end());
    if (write_times_out) return {HidIo::timed_out, 0};
    receive(report);
    return {HidIo::completed, write_transfers.value_or(report.size())};
  }
  HidIoResult read_report(std::span<std::uint8_t> report, std::uint32_t timeout_ms) override {
    read_timeouts.push_back(timeout_ms);
    if (!open_ || !plugged) return {HidIo::failed, 0};
    if (input.empty()) return {HidIo::timed_out, 0};
    const Report next = input.front();
    input.pop_front();
    std::copy_n(next.begin(), std::min(next.size(), report.size()), report.begin());
    return {HidIo::completed, next.size()};
  }
  void cancel() override { ++cancels; }
  void wait(std::uint32_t ms) override { waits.push_back(ms); }

  // Queues `text` as the UPS sends it: identifier 0, the text, the last report zero-filled.
  void send_text(const std::string& text) {
    for (std::size_t at = 0; at < text.size(); at += input_report_length - 1) {
      Report report(input_report_length, 0);
      const std::string piece = text.substr(at, input_report_length - 1);
      std::copy(piece.begin(), piece.end(), report.begin() + 1);
      input.push_back(report);
    }
  }

 private:
  void receive(std::span<const std::uint8_t> report) {
    for (std::size_t i = 1; i < report.size(); ++i) {
      pending_ += static_cast<char>(report[i]);
      if (report[i] != '\r') continue;
      commands.push_back(pending_);
      send_text(ups(pending_));
      pending_.clear();
      return;
    }
  }

  bool open_ = false;
  std::string pending_;
};

}  // namespace ups_link::testing
