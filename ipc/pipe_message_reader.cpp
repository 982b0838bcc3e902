#include "ipc/pipe_message_reader.h"

namespace ipc {

std::size_t PipeMessageReader::wanted_total() const {
  return header_expected() ? kPipeHeaderSize : message_.size;
}

unsigned char* PipeMessageReader::read_area() { return reinterpret_cast<unsigned char*>(&message_) + filled_; }

std::size_t PipeMessageReader::read_length() const { return wanted_total() - filled_; }

PipeMessageReader::Result PipeMessageReader::commit(std::size_t count) {
  if (count > read_length()) count = read_length();
  filled_ += count;
  if (filled_ == kPipeHeaderSize && (message_.size < kPipeHeaderSize || message_.size > kPipeBufferSize)) {
    filled_ = 0;
    return Result::rejected;
  }
  if (header_expected() || filled_ < message_.size) return Result::nothing;
  filled_ = 0;
  return Result::message;
}

PipeMessageReader::Result PipeMessageReader::read_from(ByteSource& source) {
  for (int reads = 0; reads < 2; ++reads) {
    const std::size_t wanted = read_length();
    std::size_t got = 0;
    if (!source.read(read_area(), wanted, got)) return Result::failed;
    const Result result = commit(got);
    if (result != Result::nothing || got < wanted) return result;
  }
  return Result::nothing;
}

}  // namespace ipc
