#include "ipc/cycle_write_count.h"

#include <atomic>
#include <cstring>

namespace ipc {
namespace {

// A read-only view only ever loads through this reference.
std::atomic_ref<std::uint16_t> write_count(const UpsSharedBlock& block) {
  return std::atomic_ref<std::uint16_t>(const_cast<std::uint16_t&>(block.write_count));
}

}  // namespace

// Full barriers: none of the cycle's writes may move outside the odd count, for the compiler or
// the processor.
void begin_cycle_write(UpsSharedBlock& block) { write_count(block).fetch_add(1, std::memory_order_seq_cst); }

void end_cycle_write(UpsSharedBlock& block) { write_count(block).fetch_add(1, std::memory_order_seq_cst); }

bool copy_whole_cycle(const UpsSharedBlock& block, UpsSharedBlock& picture) {
  const std::uint16_t before = write_count(block).load(std::memory_order_acquire);
  if (before % 2 != 0) return false;
  std::memcpy(&picture, &block, sizeof picture);
  std::atomic_thread_fence(std::memory_order_acquire);
  return write_count(block).load(std::memory_order_relaxed) == before;
}

}  // namespace ipc
