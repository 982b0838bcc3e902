#include "platform/debug_trace.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/test_trace_capture.h"

namespace platform {
namespace {

TEST(DebugTrace, FormatsLikePrintfAndHandsEachCallToTheSink) {
  TraceCapture capture;
  debug_trace(" UPS::COM open %s port error\n", "COM7");
  debug_trace("error in serial queue data length:%d\n", 200);
  ASSERT_EQ(capture.texts().size(), 2u);
  EXPECT_EQ(capture.texts()[0], " UPS::COM open COM7 port error\n");
  EXPECT_EQ(capture.texts()[1], "error in serial queue data length:200\n");
}

TEST(DebugTrace, CutsTextLongerThanItsBufferInsteadOfOverflowing) {
  TraceCapture capture;
  std::string huge(3 * kTraceBufferSize, 'x');
  debug_trace("%s|%s", huge.c_str(), "tail");
  ASSERT_EQ(capture.texts().size(), 1u);
  EXPECT_EQ(capture.texts()[0], std::string(kTraceBufferSize - 1, 'x'));
}

TEST(DebugTrace, RestoresThePreviousSinkWhenTheCaptureEnds) {
  TraceCapture outer;
  {
    TraceCapture inner;
    debug_trace("inner\n");
  }
  debug_trace("outer\n");
  EXPECT_EQ(outer.joined(), "outer\n");
}

}  // namespace
}  // namespace platform
