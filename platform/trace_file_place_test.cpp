#include "platform/trace_file_place.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(TraceFilePlace, AdministratorsWriteTheConfiguredFileOnlyInAPrivateFolderUsersTheirOwn) {
  struct Case {
    TraceWriter writer;
    const char* configured;
    bool folder_private;
    const char* own_folder;
    const char* expected;
  };
  const Case cases[] = {
      {TraceWriter::administrator, "C:\\Logs\\ups.txt", true, "C:\\Temp\\", "C:\\Logs\\ups.txt"},
      {TraceWriter::administrator, "C:\\Logs\\ups.txt", false, "C:\\Temp\\", ""},
      {TraceWriter::user, "C:\\Logs\\ups.txt", true, "C:\\Users\\ann\\Temp\\", "C:\\Users\\ann\\Temp\\ups.txt"},
      {TraceWriter::user, "C:/Logs/ups.txt", false, "C:\\Users\\ann\\Temp", "C:\\Users\\ann\\Temp\\ups.txt"},
      {TraceWriter::user, "ups.txt", false, "D:\\t\\", "D:\\t\\ups.txt"},
      {TraceWriter::user, "C:\\Logs\\", false, "D:\\t\\", ""},
      {TraceWriter::user, "C:\\Logs\\ups.txt", false, "", ""},
      {TraceWriter::administrator, "", true, "C:\\Temp\\", ""},
      {TraceWriter::user, "", true, "C:\\Temp\\", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(trace_file_for(c.writer, c.configured, c.folder_private, c.own_folder), c.expected)
        << c.configured << " " << c.folder_private << " " << c.own_folder;
}

}  // namespace
}  // namespace platform
