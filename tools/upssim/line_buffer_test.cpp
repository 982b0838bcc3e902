#include "tools/upssim/line_buffer.h"

#include <gtest/gtest.h>

namespace upssim {
namespace {

using Lines = std::vector<std::string>;

TEST(upssim_line_buffer, LinesMayArriveInPieces) {
  LineBuffer buffer('\r', 64);
  EXPECT_EQ(buffer.feed("Q"), Lines{});
  EXPECT_EQ(buffer.feed("1\rQ\rT"), (Lines{"Q1", "Q"}));
  EXPECT_EQ(buffer.feed("L\r"), Lines{"TL"});
}

TEST(upssim_line_buffer, TheOtherLineEndIsDropped) {
  LineBuffer cr('\r', 64);
  EXPECT_EQ(cr.feed("Q1\r\nI\r"), (Lines{"Q1", "I"}));
  LineBuffer lf('\n', 64);
  EXPECT_EQ(lf.feed("mains off\r\nload 50\n"), (Lines{"mains off", "load 50"}));
}

TEST(upssim_line_buffer, OverlongLineIsDiscardedUpToItsTerminator) {
  LineBuffer buffer('\r', 4);
  EXPECT_EQ(buffer.feed("ABCDEFGH"), Lines{});
  EXPECT_EQ(buffer.overflows(), 1u);
  EXPECT_EQ(buffer.feed("IJ\rQ1\r"), Lines{"Q1"});
  EXPECT_EQ(buffer.feed("ABCD\r"), Lines{"ABCD"});
}

}  // namespace
}  // namespace upssim
