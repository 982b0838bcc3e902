// PipeMessageReader: reassembles pipe messages from whatever the pipe hands over, into one
// 4096-byte PipeMessage.
//
// The pipe is a byte stream read without waiting, so a read may return part of a header or part of
// a body; the reader keeps what it has and asks only for the bytes still missing, never for more
// than the buffer holds. A header whose size is below 8 or above 4096 cannot be followed in the
// stream: the reader rejects it and starts over at a header, and the owner re-creates the pipe to
// drop the rest. A delivered message is valid until the next read. Not thread-safe.
#pragma once

#include <cstddef>

#include "ipc/pipe_message.h"

namespace ipc {

// One end of the pipe, read without waiting.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `length` bytes into `into`; `got` may be fewer (0 when nothing is there yet).
  // False when the read failed; the source keeps the reason.
  virtual bool read(unsigned char* into, std::size_t length, std::size_t& got) = 0;
};

class PipeMessageReader {
 public:
  enum class Result {
    nothing,   // no complete message yet; what arrived is kept
    message,   // message() holds a complete message
    rejected,  // the header's size was out of range; the reader expects a header again
    failed,    // the source reported an error; what arrived before is kept
  };

  // At most two reads: the bytes missing from the header, then those missing from the body. A short
  // read ends the call, since a non-blocking pipe has nothing more at that moment.
  Result read_from(ByteSource& source);

  bool header_expected() const { return filled_ < kPipeHeaderSize; }
  // Forgets a partial message (the pipe was re-created).
  void restart() { filled_ = 0; }
  const PipeMessage& message() const { return message_; }

 private:
  // Where the next read puts its bytes, and how many are still missing there.
  unsigned char* read_area();
  std::size_t read_length() const;
  // Takes `count` bytes (at most read_length()) just placed at read_area().
  Result commit(std::size_t count);
  std::size_t wanted_total() const;

  PipeMessage message_;
  std::size_t filled_ = 0;  // bytes of the current message received so far
};

}  // namespace ipc
