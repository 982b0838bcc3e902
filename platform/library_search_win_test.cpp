#include "platform/library_search_win.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/test_wine_env_win.h"

namespace platform {
namespace {

// A DLL another user put in the current folder, which for the service is System32 and for a
// program started from a shell wherever that stood. (Any program image loads as a DLL.)
TEST(LibrarySearch, ADllInTheCurrentFolderIsNotLoadedOnceTheSearchIsRestricted) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string folder = std::string(temp) + "orvik_search_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string bin = testing::wine_path(testing::env("ORVIK_BIN_DIR"));
  const std::string planted = folder + "\\orvik_search_probe.dll";
  ASSERT_TRUE(CopyFileA((bin + "\\shared_memory_probe.exe").c_str(), planted.c_str(), FALSE));
  const std::string probe = "\"" + bin + "\\library_search_probe.exe\" ";
  EXPECT_EQ(testing::run_process(probe + "plain", 30000, folder.c_str()), 0) << "the system's own search finds it";
  EXPECT_EQ(testing::run_process(probe + "restricted", 30000, folder.c_str()), 1);
  DeleteFileA(planted.c_str());
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace platform
