#include "ipc/shared_block.h"

#include <cstring>

namespace ipc {
namespace {

// Copies at most N - 1 characters and zero-fills the rest: readers of both widths see a
// terminated string and no stale tail of a longer earlier text.
template <std::size_t N>
void copy_text(char (&field)[N], const char* text) {
  std::size_t length = 0;
  if (text) {
    while (length < N - 1 && text[length] != '\0') ++length;
    std::memcpy(field, text, length);
  }
  std::memset(field + length, 0, N - length);
}

constexpr char kDevicePrefix[] = "\\\\.\\";

}  // namespace

void set_block_port(UpsSharedBlock& block, const char* port) {
  if (port && std::strncmp(port, kDevicePrefix, sizeof kDevicePrefix - 1) == 0) port += sizeof kDevicePrefix - 1;
  copy_text(block.port, port);
}

void set_block_vendor(UpsSharedBlock& block, const char* vendor) { copy_text(block.vendor, vendor); }

void set_block_model(UpsSharedBlock& block, const char* model) { copy_text(block.model, model); }

void set_block_raw_line(UpsSharedBlock& block, const char* line) { copy_text(block.raw_line, line); }

}  // namespace ipc
