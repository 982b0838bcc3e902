// The `setup` requests that go through the running service's shared block: the GUI exit request
// and the power-action request, against a block created here as the service creates it.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ipc/shared_block_win.h"
#include "setup/test_setup_export_win.h"

namespace installation {
namespace {

using namespace installation::testing;

class BlockRequests : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    library_ = load_driver_library();
    ASSERT_NE(library_, nullptr) << GetLastError();
    setup_ = bind_setup(library_);
    ASSERT_NE(setup_, nullptr);
  }

  // The service's side of the block.
  ipc::UpsSharedBlock* create_block() {
    if (!ipc::open_shared_block(service_side_, true)) return nullptr;
    return ipc::shared_block(service_side_);
  }

  static inline HMODULE library_ = nullptr;
  static inline SetupFunction setup_ = nullptr;
  platform::SharedMemory service_side_;
};

TEST_F(BlockRequests, WithoutAServiceNothingHappensAndNoBlockIsLeftBehind) {
  const DWORD start = GetTickCount();
  EXPECT_EQ(setup_(kRequestPowerAction, 1), 0);
  EXPECT_LT(GetTickCount() - start, 1000u) << "nothing to wait for";
  EXPECT_EQ(setup_(kRequestGuiExit, 0), 0);
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, "Global\\UPS_map"), nullptr);
}

TEST_F(BlockRequests, GuiExitRequestIsSetAndWithdrawn) {
  ipc::UpsSharedBlock* block = create_block();
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(setup_(kRequestGuiExit, 0), 0);
  EXPECT_EQ(block->gui_exit_request, 1u);
  EXPECT_EQ(setup_(kWithdrawGuiExit, 0), 0);
  EXPECT_EQ(block->gui_exit_request, 0u);
}

TEST_F(BlockRequests, PowerActionReturnsOnlyOnceTheServiceTookIt) {
  ipc::UpsSharedBlock* block = create_block();
  ASSERT_NE(block, nullptr);
  std::atomic<std::uint32_t> taken{0};
  std::atomic<bool> cleared{false};
  std::thread service([&] {
    Sleep(500);
    taken = std::atomic_ref<std::uint32_t>(block->action_request).exchange(0);
    cleared = true;
  });
  const DWORD start = GetTickCount();
  const int result = setup_(kRequestPowerAction, 2);
  const bool cleared_before_return = cleared;
  const DWORD elapsed = GetTickCount() - start;
  service.join();

  EXPECT_EQ(result, 1);
  EXPECT_TRUE(cleared_before_return);
  EXPECT_EQ(taken, 2u) << "the service found the request";
  EXPECT_GE(elapsed, 480u);
  EXPECT_LT(elapsed, 1500u) << "polled, not waited out";
}

TEST_F(BlockRequests, CodeZeroClearsAPendingRequestAtOnce) {
  ipc::UpsSharedBlock* block = create_block();
  ASSERT_NE(block, nullptr);
  block->action_request = 3;
  const DWORD start = GetTickCount();
  EXPECT_EQ(setup_(kRequestPowerAction, 0), 1);
  EXPECT_LT(GetTickCount() - start, 150u);
  EXPECT_EQ(block->action_request, 0u);
}

}  // namespace
}  // namespace installation
