// Opening files where another user may have planted a link or given a file a second name.
#include "platform/link_safe_files_win.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/test_wine_env_win.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

bool ends_with(const std::wstring& text, const std::wstring& end) {
  return text.size() >= end.size() &&
         CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, text.c_str() + text.size() - end.size(), -1, end.c_str(),
                        -1) == CSTR_EQUAL;
}

TEST(FolderAndName, TheFolderIsWhatOpensAsIt) {
  struct Case {
    const char* path;
    const char* folder;
    const char* name;
  };
  for (const Case& c : {Case{"C:\\Logs\\ups.txt", "C:\\Logs", "\\ups.txt"}, Case{"C:\\ups.txt", "C:\\", "\\ups.txt"},
                        Case{"ups.txt", ".", "\\ups.txt"}, Case{"C:/Logs/ups.txt", "C:/Logs", "/ups.txt"},
                        Case{"\\\\host\\share\\ups.txt", "\\\\host\\share", "\\ups.txt"}}) {
    EXPECT_EQ(folder_and_name(c.path), std::make_pair(std::string(c.folder), std::string(c.name))) << c.path;
  }
}

// Any user may give a file they can read a second name (a hard link) where they may create files.
TEST(LinkSafeFiles, AFileWithASecondNameIsRefusedUnderEitherName) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string folder = std::string(temp) + "orvik_names_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  std::ofstream(folder + "\\first.txt") << "first\n";
  ASSERT_TRUE(create_file_below(folder, "\\first.txt", FILE_APPEND_DATA, 0, OPEN_ALWAYS)) << "one name: opened";
  ASSERT_TRUE(CreateHardLinkA((folder + "\\second.txt").c_str(), (folder + "\\first.txt").c_str(), nullptr));
  for (const char* name : {"\\first.txt", "\\second.txt"}) {
    EXPECT_FALSE(create_file_below(folder, name, FILE_APPEND_DATA, 0, OPEN_ALWAYS)) << name;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANT_ACCESS_FILE));
  }
  DeleteFileA((folder + "\\second.txt").c_str());
  DeleteFileA((folder + "\\first.txt").c_str());
  RemoveDirectoryA(folder.c_str());
}

// Run by tools/wine/planted_links.sh, which plants root\2031\5 as a link to a folder beside the
// root: where the opened folder really is shows in both ways of asking, Vista's and XP's.
TEST(FinalPath, ALinkPlantedOnTheWayShowsInBothWaysOfAsking) {
  const std::string planted = testing::env("ORVIK_PLANTED_LINK");
  if (planted.empty()) GTEST_SKIP() << "needs the link that planted_links_win_test plants";
  const std::string base = testing::wine_path(planted);
  const UniqueHandle month(CreateFileA((base + "\\root\\2031\\5").c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  ASSERT_TRUE(month);
  EXPECT_TRUE(ends_with(final_path(month.get()), L"\\outside")) << to_utf8(final_path(month.get()));
  EXPECT_TRUE(ends_with(object_name_path(month.get()), L"\\outside"));
  EXPECT_FALSE(create_file_below(base + "\\root", "\\2031\\5\\10_log.dat", FILE_APPEND_DATA, 0, OPEN_ALWAYS));
}

}  // namespace
}  // namespace platform
