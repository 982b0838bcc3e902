#include "platform/handles_win.h"

#include <gtest/gtest.h>

#include "platform/registry_win.h"

namespace platform {
namespace {

bool handle_is_alive(HANDLE h) {
  DWORD flags = 0;
  return GetHandleInformation(h, &flags) != FALSE;
}

TEST(UniqueHandle, ClosesTheKernelObjectWhenReset) {
  UniqueHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event);
  HANDLE raw = event.get();
  event.reset();
  EXPECT_FALSE(handle_is_alive(raw));
}

TEST(UniqueHandle, MovedHandleStaysOpenInItsNewOwner) {
  UniqueHandle first(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  HANDLE raw = first.get();
  UniqueHandle second(std::move(first));
  EXPECT_FALSE(first);
  EXPECT_TRUE(handle_is_alive(raw));
  EXPECT_TRUE(SetEvent(second.get()));
}

TEST(UniqueHandle, FailedCreateFileCountsAsNotOpen) {
  UniqueHandle file(CreateFileA("Z:\\no\\such\\dir\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_EQ(file.get(), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(file);
}

TEST(UniqueKey, ClosesTheKeyWhenItGoesOutOfScope) {
  HKEY raw = nullptr;
  {
    UniqueKey key = open_key("SOFTWARE", KEY_READ);
    ASSERT_TRUE(key);
    raw = key.get();
    DWORD subkeys = 0;
    EXPECT_EQ(RegQueryInfoKeyA(raw, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
  }
  EXPECT_NE(RegQueryInfoKeyA(raw, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
}

}  // namespace
}  // namespace platform
