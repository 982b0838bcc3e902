#include "ipc/pipe_message_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <vector>

namespace ipc {
namespace {

using Result = PipeMessageReader::Result;

std::vector<unsigned char> header(std::uint32_t size, std::uint32_t cmd) {
  std::vector<unsigned char> bytes(8);
  std::memcpy(bytes.data(), &size, 4);
  std::memcpy(bytes.data() + 4, &cmd, 4);
  return bytes;
}

std::vector<unsigned char> word_message(std::uint32_t cmd, std::uint32_t word) {
  std::vector<unsigned char> bytes = header(12, cmd);
  bytes.resize(12);
  std::memcpy(bytes.data() + 8, &word, 4);
  return bytes;
}

// A non-blocking pipe: hands over what has arrived, counts reads, and fails a read that would
// write anywhere but into the reader's own message buffer.
class PipeStream : public ByteSource {
 public:
  explicit PipeStream(const PipeMessageReader& reader) : buffer_(&reader.message()) {}
  void arrive(const std::vector<unsigned char>& bytes) { pending_.insert(pending_.end(), bytes.begin(), bytes.end()); }
  bool read(unsigned char* into, std::size_t length, std::size_t& got) override {
    ++reads;
    const auto* begin = reinterpret_cast<const unsigned char*>(buffer_);
    EXPECT_TRUE(into >= begin && into + length <= begin + sizeof(PipeMessage)) << "read outside the buffer";
    if (broken) return false;
    got = std::min(length, pending_.size());
    std::copy_n(pending_.begin(), got, into);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(got));
    return true;
  }
  std::size_t pending() const { return pending_.size(); }

  int reads = 0;
  bool broken = false;

 private:
  const PipeMessage* buffer_;
  std::deque<unsigned char> pending_;
};

class PipeMessageReaderTest : public ::testing::Test {
 protected:
  PipeMessageReader reader;
  PipeStream pipe{reader};
};

TEST_F(PipeMessageReaderTest, HeaderOnlyMessageTakesOneReadAndTwelveByteMessageTwo) {
  pipe.arrive(header(8, MSG_STAT_FLUSH));
  pipe.arrive(word_message(MSG_POWER_ACTION, 4));

  ASSERT_EQ(reader.read_from(pipe), Result::message);
  EXPECT_EQ(pipe.reads, 1);
  EXPECT_EQ(reader.message().cmd, MSG_STAT_FLUSH);

  ASSERT_EQ(reader.read_from(pipe), Result::message);
  EXPECT_EQ(pipe.reads, 3);
  EXPECT_EQ(reader.message().size, 12u);
  EXPECT_EQ(reader.message().payload_word(), 4u);
  EXPECT_EQ(pipe.pending(), 0u);
}

TEST_F(PipeMessageReaderTest, PiecesArrivingOverSeveralPollsAreReassembled) {
  const std::vector<unsigned char> message = word_message(MSG_TEST_MINUTES, 0x0A0B0C0D);
  pipe.arrive({message.begin(), message.begin() + 3});
  EXPECT_EQ(reader.read_from(pipe), Result::nothing);
  EXPECT_TRUE(reader.header_expected());
  pipe.arrive({message.begin() + 3, message.begin() + 10});
  EXPECT_EQ(reader.read_from(pipe), Result::nothing);
  EXPECT_FALSE(reader.header_expected()) << "the header is complete, the body is not";
  EXPECT_EQ(reader.read_from(pipe), Result::nothing) << "nothing new arrived";
  pipe.arrive({message.begin() + 10, message.end()});
  ASSERT_EQ(reader.read_from(pipe), Result::message);
  EXPECT_EQ(reader.message().cmd, MSG_TEST_MINUTES);
  EXPECT_EQ(reader.message().payload_word(), 0x0A0B0C0Du);
  EXPECT_TRUE(reader.header_expected());
}

TEST_F(PipeMessageReaderTest, SizesOutsideTheBufferAreRejectedAfterTheHeader) {
  for (std::uint32_t size : {0u, 7u, 4097u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(size);
    pipe.arrive(header(size, MSG_SETTINGS));
    pipe.arrive(std::vector<unsigned char>(64, 0xEE));
    const int reads_before = pipe.reads;
    EXPECT_EQ(reader.read_from(pipe), Result::rejected);
    EXPECT_EQ(pipe.reads, reads_before + 1) << "no body read follows a rejected header";
    EXPECT_TRUE(reader.header_expected());
    pipe = PipeStream(reader);  // the owner re-creates the pipe: what followed is gone
  }
  pipe.arrive(header(8, MSG_STAT_RELOAD));
  ASSERT_EQ(reader.read_from(pipe), Result::message);
  EXPECT_EQ(reader.message().cmd, MSG_STAT_RELOAD);
}

TEST_F(PipeMessageReaderTest, LargestMessageFillsTheBufferExactly) {
  std::vector<unsigned char> message = header(kPipeBufferSize, 99);
  message.resize(kPipeBufferSize, 0x5A);
  message.back() = 0xA5;
  pipe.arrive(message);
  ASSERT_EQ(reader.read_from(pipe), Result::message);
  EXPECT_EQ(reader.message().payload[kPipeBufferSize - kPipeHeaderSize - 1], 0xA5);
}

TEST_F(PipeMessageReaderTest, FailedReadKeepsWhatArrivedAndRestartForgetsIt) {
  const std::vector<unsigned char> message = word_message(MSG_POWER_ACTION, 1);
  pipe.arrive({message.begin(), message.begin() + 9});
  EXPECT_EQ(reader.read_from(pipe), Result::nothing);
  pipe.broken = true;
  EXPECT_EQ(reader.read_from(pipe), Result::failed);
  pipe.broken = false;
  pipe.arrive({message.begin() + 9, message.end()});
  ASSERT_EQ(reader.read_from(pipe), Result::message);
  EXPECT_EQ(reader.message().payload_word(), 1u);

  pipe.arrive({message.begin(), message.begin() + 9});
  EXPECT_EQ(reader.read_from(pipe), Result::nothing);
  reader.restart();
  pipe = PipeStream(reader);
  pipe.arrive(header(8, MSG_TEST_SHORT));
  ASSERT_EQ(reader.read_from(pipe), Result::message);
  EXPECT_EQ(reader.message().cmd, MSG_TEST_SHORT);
}

}  // namespace
}  // namespace ipc
