#include "ipc/shared_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ipc/action_request.h"

namespace ipc {
namespace {

UpsSharedBlock block_with_vendor(const char* vendor) {
  UpsSharedBlock block{};
  set_block_vendor(block, vendor);
  return block;
}

TEST(SharedBlockPort, ShortNamesAreStoredWhole) {
  UpsSharedBlock block = block_with_vendor("Lunem");
  for (const char* port : {"COM1", "COM10", "USB"}) {
    set_block_port(block, port);
    EXPECT_STREQ(block.port, port);
  }
}

TEST(SharedBlockPort, LongNamesAreCutAndNeverReachTheVendor) {
  UpsSharedBlock block = block_with_vendor("Lunem");
  set_block_port(block, "COM123456");
  EXPECT_EQ(std::string(block.port), "COM12");
  EXPECT_EQ(block.port[5], '\0');
  EXPECT_STREQ(block.vendor, "Lunem");
}

TEST(SharedBlockPort, DevicePrefixIsDroppedBeforeCutting) {
  UpsSharedBlock block{};
  set_block_port(block, "\\\\.\\COM12");
  EXPECT_STREQ(block.port, "COM12");
  set_block_port(block, "\\\\.\\COM123");
  EXPECT_STREQ(block.port, "COM12");
}

TEST(SharedBlockText, ShorterTextLeavesNoTailOfTheLongerOne) {
  UpsSharedBlock block{};
  set_block_raw_line(block, "(230.0 230.0 229.0 012 50.0 13.6 25.0 00001001");
  set_block_raw_line(block, "(1");
  EXPECT_STREQ(block.raw_line, "(1");
  for (std::size_t i = 2; i < sizeof block.raw_line; ++i) ASSERT_EQ(block.raw_line[i], '\0') << "byte " << i;
}

TEST(SharedBlockText, OverlongTextIsCutToTheFieldAndTerminated) {
  UpsSharedBlock block{};
  set_block_model(block, "Model");
  const std::string long_vendor(300, 'v');
  set_block_vendor(block, long_vendor.c_str());
  EXPECT_EQ(std::string(block.vendor), std::string(255, 'v'));
  EXPECT_STREQ(block.model, "Model") << "the vendor spilled into the model";
  set_block_model(block, nullptr);
  EXPECT_STREQ(block.model, "");
}

class RecordingStarter : public PowerActionStarter {
 public:
  void start_power_action(std::uint32_t action_code) override { codes.push_back(action_code); }
  std::vector<std::uint32_t> codes;
};

TEST(ActionRequest, RequestIsTakenOnceAsItsActionCode) {
  UpsSharedBlock block{};
  RecordingStarter starter;
  EXPECT_FALSE(take_action_request(block, starter));
  block.action_request = 3;
  EXPECT_TRUE(take_action_request(block, starter));
  EXPECT_EQ(block.action_request, 0u);
  EXPECT_FALSE(take_action_request(block, starter));
  EXPECT_EQ(starter.codes, std::vector<std::uint32_t>{2}) << "request 3 is the restart, action code 2";
}

}  // namespace
}  // namespace ipc
