// UpsSharedBlock: the 852-byte status block that the service publishes to every other process of
// the system ("Global\UPS_map"), read by 32- and 64-bit programs alike.
//
// Layout rules: fixed-width fields only, no pointers, every number naturally aligned, so a reader
// never sees a torn number. Each field has one writer: the service writes the measured fields;
// other processes write the request fields (GUI exit, action request, turn-off blocked, action
// blocked), which the service only reads, or for the action request takes (action_request.h).
// Consistency across fields rests on the new-data event and the write count (cycle_publication.h),
// not on a lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "link/ups_status.h"

namespace ipc {

// The block is "Global\<base>_map"; the system uses one base name everywhere.
inline constexpr const char* kSharedBlockBaseName = "UPS";
inline constexpr const char* kNewDataEventName = "Global\\newDataUPS";

// The port field keeps this many characters; longer names are cut (set_block_port).
inline constexpr std::size_t kPortNameChars = 5;

struct UpsSharedBlock {
  std::uint8_t link_ok;  // 1 when the last cycle got a status line that parsed
  std::uint8_t unused_1[3];
  ups_link::UpsStatus status;   // as adjusted by the polling loop
  std::uint8_t capacity_valid;  // 1 when the model is valid and the three values below computed
  std::uint8_t unused_2[3];
  float capacity;  // percent, 0..100
  float load_va;
  float runtime;                  // minutes; 0 when not estimated
  char port[kPortNameChars + 1];  // "COM1" ... or "USB"
  char vendor[256];
  char model[256];     // empty when the model is not valid
  char raw_line[256];  // the last line that parsed, from its "(" on, without its CR
  std::uint16_t write_count;      // odd while the service writes a cycle (cycle_write_count.h)
  std::int32_t time_in_state;      // milliseconds since the state last changed, >= 0
  std::uint32_t gui_exit_request;  // written by setup operations
  std::uint32_t action_request;    // 0 none, 1..6 power action + 1; taken by the service
  std::uint32_t turn_off_blocked;  // written by the tray menu
  std::uint32_t action_blocked;    // written by the tray menu
  std::uint32_t shutdown_reason;   // 0 none, 1 capacity threshold, 2 battery-voltage threshold
};

inline constexpr std::size_t kSharedBlockSize = 852;

static_assert(std::is_standard_layout_v<UpsSharedBlock> && std::is_trivially_copyable_v<UpsSharedBlock>);
static_assert(sizeof(UpsSharedBlock) == kSharedBlockSize);
static_assert(alignof(UpsSharedBlock) == 4);
static_assert(offsetof(UpsSharedBlock, link_ok) == 0);
static_assert(offsetof(UpsSharedBlock, unused_1) == 1);
static_assert(offsetof(UpsSharedBlock, status) == 4);
static_assert(offsetof(UpsSharedBlock, status) + offsetof(ups_link::UpsStatus, status_bits) == 32);
static_assert(offsetof(UpsSharedBlock, capacity_valid) == 36);
static_assert(offsetof(UpsSharedBlock, unused_2) == 37);
static_assert(offsetof(UpsSharedBlock, capacity) == 40);
static_assert(offsetof(UpsSharedBlock, load_va) == 44);
static_assert(offsetof(UpsSharedBlock, runtime) == 48);
static_assert(offsetof(UpsSharedBlock, port) == 52 && sizeof(UpsSharedBlock::port) == 6);
static_assert(offsetof(UpsSharedBlock, vendor) == 58);
static_assert(offsetof(UpsSharedBlock, model) == 314);
static_assert(offsetof(UpsSharedBlock, raw_line) == 570);
static_assert(offsetof(UpsSharedBlock, write_count) == 826);
static_assert(offsetof(UpsSharedBlock, time_in_state) == 828);
static_assert(offsetof(UpsSharedBlock, gui_exit_request) == 832);
static_assert(offsetof(UpsSharedBlock, action_request) == 836);
static_assert(offsetof(UpsSharedBlock, turn_off_blocked) == 840);
static_assert(offsetof(UpsSharedBlock, action_blocked) == 844);
static_assert(offsetof(UpsSharedBlock, shutdown_reason) == 848);

// Text fields are always terminated and zero-padded; text too long for a field is cut.
// The port keeps its first five characters after a "\\.\" device prefix (which only says how to
// open the port, e.g. "\\.\COM12"): "COM123" reads "COM12".
void set_block_port(UpsSharedBlock& block, const char* port);
void set_block_vendor(UpsSharedBlock& block, const char* vendor);
void set_block_model(UpsSharedBlock& block, const char* model);
void set_block_raw_line(UpsSharedBlock& block, const char* line);

}  // namespace ipc
