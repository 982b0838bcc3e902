#include "core/command_output.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace core {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(CommandOutput, LinesEndAtLineFeedsAcrossReads) {
  CommandOutput output;
  EXPECT_THAT(output.add("first\r\nsec"), ElementsAre("first"));
  EXPECT_THAT(output.add("ond\n\nthird\rstill\n"), ElementsAre("second", "", "third\rstill"));
  EXPECT_THAT(output.add("last, unfinished"), IsEmpty());
  EXPECT_THAT(output.finish(), ElementsAre("last, unfinished"));
  EXPECT_THAT(output.finish(), IsEmpty());
}

TEST(CommandOutput, AnOverlongLineComesInPieces) {
  CommandOutput output;
  const std::string piece(CommandOutput::kMaxLine, 'x');
  EXPECT_THAT(output.add(piece + piece + "yz\n"), ElementsAre(piece, piece, "yz"));
  EXPECT_THAT(output.add(piece), IsEmpty()) << "a full piece waits for what follows";
  EXPECT_THAT(output.add("\r\n"), ElementsAre(piece));
}

}  // namespace
}  // namespace core
