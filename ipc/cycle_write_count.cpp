#include "ipc/cycle_write_count.h"

#include <atomic>
#include <cstring>

namespace ipc {
namespace {

// A read-only view only ever loads through this reference.
std::atomic_ref<std::uint16_t> write_count(const UpsSharedBlock& block) {
  return std::atomic_ref<std::uint16_t>(const_cast<std::uint16_t&>(block.write_count));
}

// Any local user can write the block: an odd count left there must not turn the parity round, so
// the count is made odd, not incremented. Either way it differs after the cycle from any even
// count a reader saw before it.
std::uint16_t odd_count(const UpsSharedBlock& block) {
  return static_cast<std::uint16_t>(write_count(block).load(std::memory_order_relaxed) | 1u);
}

}  // namespace

// The fence keeps the cycle's writes after the odd count, for the compiler and the processor;
// the release keeps them before the even one.
void begin_cycle_write(UpsSharedBlock& block) {
  write_count(block).store(odd_count(block), std::memory_order_relaxed);
  std::atomic_thread_fence(std::memory_order_seq_cst);
}

void end_cycle_write(UpsSharedBlock& block) {
  write_count(block).store(static_cast<std::uint16_t>(odd_count(block) + 1), std::memory_order_release);
}

bool copy_whole_cycle(const UpsSharedBlock& block, UpsSharedBlock& picture) {
  const std::uint16_t before = write_count(block).load(std::memory_order_acquire);
  if (before % 2 != 0) return false;
  std::memcpy(&picture, &block, sizeof picture);
  std::atomic_thread_fence(std::memory_order_acquire);
  return write_count(block).load(std::memory_order_relaxed) == before;
}

std::uint16_t current_write_count(const UpsSharedBlock& block) {
  return write_count(block).load(std::memory_order_relaxed);
}

}  // namespace ipc
