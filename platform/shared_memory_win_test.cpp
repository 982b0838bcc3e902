// The shared memory between processes: one creator, readers of both widths.
#include "platform/shared_memory_win.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/shared_memory_test_pattern.h"
#include "platform/test_wine_env_win.h"

namespace platform {
namespace {

using platform::testing::env;
using platform::testing::run_process;
using platform::testing::start_process;
using platform::testing::wait_for_exit;
using platform::testing::wine_path;

constexpr DWORD kSize = 852;

std::string unique_base(const char* what) {
  return std::string("OrvikTest_") + what + "_" + std::to_string(GetCurrentProcessId());
}

bool mapping_exists(const std::string& base) {
  UniqueHandle h(OpenFileMappingA(FILE_MAP_READ, FALSE, ("Global\\" + base + "_map").c_str()));
  return h.is_open();
}

std::string probe(const std::string& bin_dir_variable) {
  return wine_path(env(bin_dir_variable.c_str())) + "\\shared_memory_probe.exe";
}

TEST(SharedMemory, CreatedBlockIsZeroFilledAndAttachable) {
  std::string base = unique_base("zero");
  SharedMemory creator;
  ASSERT_TRUE(open_shared_memory(creator, true, base.c_str(), kSize));
  const auto* bytes = static_cast<const unsigned char*>(creator.data());
  for (DWORD i = 0; i < kSize; ++i) ASSERT_EQ(bytes[i], 0) << "byte " << i;

  SharedMemory reader;
  ASSERT_TRUE(open_shared_memory(reader, false, base.c_str(), kSize));
  static_cast<unsigned char*>(creator.data())[851] = 0x5A;
  EXPECT_EQ(static_cast<const unsigned char*>(reader.data())[851], 0x5A);
}

TEST(SharedMemory, ReaderBeforeCreatorFailsAndLeavesNoObjectBehind) {
  std::string base = unique_base("early");
  SharedMemory reader;
  EXPECT_FALSE(open_shared_memory(reader, false, base.c_str(), kSize));
  EXPECT_FALSE(reader.mapping);
  EXPECT_FALSE(reader.view);
  EXPECT_FALSE(mapping_exists(base));
  EXPECT_EQ(run_process(probe("ORVIK_BIN_DIR") + " attach " + base + " 852"), 3);
  EXPECT_FALSE(mapping_exists(base));

  SharedMemory creator;
  ASSERT_TRUE(open_shared_memory(creator, true, base.c_str(), kSize));
  EXPECT_TRUE(open_shared_memory(reader, false, base.c_str(), kSize)) << "once created, the same call succeeds";
}

TEST(SharedMemory, ReopeningReleasesTheEarlierAttachment) {
  std::string first = unique_base("first");
  std::string second = unique_base("second");
  SharedMemory holder;
  ASSERT_TRUE(open_shared_memory(holder, true, first.c_str(), kSize));
  ASSERT_TRUE(open_shared_memory(holder, true, second.c_str(), kSize));
  EXPECT_FALSE(mapping_exists(first)) << "the first block had no other holder and is gone";
  EXPECT_TRUE(mapping_exists(second));
}

// A creator in a process of its own, holding the block while readers attach.
class CreatorProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = unique_base("cross");
    done_.reset(CreateEventA(nullptr, TRUE, FALSE, (base_ + "_done").c_str()));
    UniqueHandle ready(CreateEventA(nullptr, TRUE, FALSE, (base_ + "_ready").c_str()));
    creator_ = start_process(probe("ORVIK_BIN_DIR") + " create " + base_ + " 852");
    ASSERT_TRUE(creator_);
    ASSERT_EQ(WaitForSingleObject(ready.get(), 30000), WAIT_OBJECT_0) << "creator never got ready";
  }
  void TearDown() override {
    SetEvent(done_.get());
    if (creator_) EXPECT_EQ(wait_for_exit(creator_.get(), 30000), 0);
  }
  std::string base_;
  UniqueHandle done_;
  UniqueHandle creator_;
};

TEST_F(CreatorProcess, A64BitReaderSeesWhatTheCreatorWrote) {
  EXPECT_EQ(run_process(probe("ORVIK_BIN_DIR") + " attach " + base_ + " 852"), 0);
  SharedMemory reader;
  ASSERT_TRUE(open_shared_memory(reader, false, base_.c_str(), kSize));
  EXPECT_TRUE(has_test_pattern(static_cast<const unsigned char*>(reader.data()), kSize));
}

TEST_F(CreatorProcess, A32BitReaderSeesWhatTheCreatorWrote) {
  if (env("ORVIK_CAN_RUN_32BIT") != "1") {
    GTEST_SKIP() << "this machine cannot execute 32-bit programs, so Wine cannot run the i686 build";
  }
  EXPECT_EQ(run_process(probe("ORVIK_WIN32_BIN_DIR") + " attach " + base_ + " 852"), 0);
}

}  // namespace
}  // namespace platform
