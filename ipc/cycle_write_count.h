// The block's write count: the service makes it odd before a cycle's first write and even after
// its last, so that a reader can tell a picture of one whole cycle from a torn one.
//
// The new-data event alone cannot tell: a reader that sees it signalled, is preempted, copies the
// block while the next cycle is half written and sees the event signalled again once that cycle
// has ended keeps a picture of two cycles. The count has moved on in between, so that picture is
// refused. Sixteen bits are enough: a reader would have to sleep through 32,768 cycles (nine hours)
// to be fooled by the wrap.
#pragma once

#include "ipc/shared_block.h"

namespace ipc {

void begin_cycle_write(UpsSharedBlock& block);
void end_cycle_write(UpsSharedBlock& block);

// Copies `block` into `picture`; false (picture unspecified) when a cycle was being written
// meanwhile. The block may be a read-only view: this only reads it.
bool copy_whole_cycle(const UpsSharedBlock& block, UpsSharedBlock& picture);

// The count as it stands: it moves every cycle while the service runs.
std::uint16_t current_write_count(const UpsSharedBlock& block);

}  // namespace ipc
