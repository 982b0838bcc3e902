// PipeMessage: what travels over the pipe "\\.\pipe\UPS" between the tray GUI and the service.
//
// A message is a header of two little-endian 32-bit words, the size of the whole message (header
// included) and the command code, followed by the command's payload. Both ends read each message
// into one 4096-byte PipeMessage; a message is valid until the next read.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace ipc {

inline constexpr const char* kPipeName = "\\\\.\\pipe\\UPS";
// Instances the service serves at once: a client that connects and never lets go keeps one of
// them, not the others.
inline constexpr int kPipeInstances = 4;
inline constexpr std::uint32_t kPipeBufferSize = 4096;
inline constexpr std::uint32_t kPipeHeaderSize = 8;
// A header plus one 32-bit word at offset 8: MSG_POWER_ACTION, MSG_TEST_MINUTES and the switches.
inline constexpr std::uint32_t kPipeWordMessageSize = 12;
// A header plus two 32-bit words: MSG_ANSWER.
inline constexpr std::uint32_t kPipeAnswerSize = 16;

// Command codes.
inline constexpr std::uint32_t MSG_SETTINGS = 1;        // GUI -> service, settings record (55 bytes)
inline constexpr std::uint32_t MSG_CLOSE = 2;           // service -> GUI; never sent by this service
inline constexpr std::uint32_t MSG_STAT_RELOAD = 3;     // GUI -> service
inline constexpr std::uint32_t MSG_STAT_FLUSH = 4;      // GUI -> service, answered by MSG_STAT_FLUSHED
inline constexpr std::uint32_t MSG_STAT_FLUSHED = 5;    // service -> GUI
inline constexpr std::uint32_t MSG_POWER_ACTION = 6;    // to service, action code 0..5 at offset 8
inline constexpr std::uint32_t MSG_TEST_CANCEL = 7;     // GUI -> service
inline constexpr std::uint32_t MSG_TEST_SHORT = 8;      // GUI -> service
inline constexpr std::uint32_t MSG_TEST_MINUTES = 9;    // GUI -> service, minutes 1..99 at offset 8
inline constexpr std::uint32_t MSG_TEST_UNTIL_LOW = 10; // GUI -> service
// The two protection switches of the block, set by the service on request: 0 or 1 at offset 8.
inline constexpr std::uint32_t MSG_BLOCK_ACTION = 11;   // to service: "action blocked"
inline constexpr std::uint32_t MSG_BLOCK_TURN_OFF = 12; // to service: "turn-off blocked"
// service -> asking side: the command of the request at offset 8 and the rights its caller lacked
// at offset 12 (pipe_rights.h); 0 there means the request was accepted.
inline constexpr std::uint32_t MSG_ANSWER = 13;

static_assert(std::endian::native == std::endian::little, "the wire format is the host's own layout");

struct PipeMessage {
  std::uint32_t size = kPipeHeaderSize;
  std::uint32_t cmd = 0;
  unsigned char payload[kPipeBufferSize - kPipeHeaderSize] = {};

  // The 32-bit word at offset 8 + 4 * index of a message at least that long.
  std::uint32_t payload_word(std::size_t index = 0) const {
    std::uint32_t word;
    std::memcpy(&word, payload + index * sizeof word, sizeof word);
    return word;
  }
};

static_assert(std::is_standard_layout_v<PipeMessage> && std::is_trivially_copyable_v<PipeMessage>);
static_assert(sizeof(PipeMessage) == kPipeBufferSize);
static_assert(offsetof(PipeMessage, size) == 0 && offsetof(PipeMessage, cmd) == 4);
static_assert(offsetof(PipeMessage, payload) == kPipeHeaderSize);

// A message of the header alone (size 8).
inline PipeMessage make_pipe_message(std::uint32_t cmd) {
  PipeMessage message;
  message.cmd = cmd;
  return message;
}

// A 12-byte message carrying `word` at offset 8.
inline PipeMessage make_pipe_message(std::uint32_t cmd, std::uint32_t word) {
  PipeMessage message = make_pipe_message(cmd);
  message.size = kPipeWordMessageSize;
  std::memcpy(message.payload, &word, sizeof word);
  return message;
}

// The service's answer to a request with command `cmd`: `missing` rights (0: accepted).
inline PipeMessage make_answer(std::uint32_t cmd, std::uint32_t missing) {
  PipeMessage message = make_pipe_message(MSG_ANSWER, cmd);
  message.size = kPipeAnswerSize;
  std::memcpy(message.payload + sizeof cmd, &missing, sizeof missing);
  return message;
}

}  // namespace ipc
