#include "tools/upssim/protocol.h"

#include <gtest/gtest.h>

namespace upssim {
namespace {

class upssim_protocol : public ::testing::Test {
 protected:
  upssim_protocol() { model_.conditions().jitter = false; }

  std::string send(std::string_view bytes) { return engine_.receive(bytes); }
  std::string status_line() { return format_status_line(model_.peek()) + "\r"; }

  UpsModel model_{1};
  LineFaults faults_;
  std::vector<std::string> log_;
  ProtocolEngine engine_{model_, faults_, 1, [this](const std::string& line) { log_.push_back(line); }};
};

TEST_F(upssim_protocol, StatusQueriesAnswerFortySevenBytes) {
  std::string expected = status_line();
  ASSERT_EQ(expected.size(), 47u);
  EXPECT_EQ(send("Q1\r"), expected);
  EXPECT_EQ(send("QS\r"), expected);
}

TEST_F(upssim_protocol, InformationAndRatingQueriesAreAnswered) {
  EXPECT_EQ(send("I\r"), information_line() + "\r");
  model_.battery().set_nominal(24);
  EXPECT_EQ(send("F\r"), "#220.0 003 24.00 50.0\r");
}

TEST_F(upssim_protocol, OtherCommandsAreSilentButActed) {
  EXPECT_EQ(send("Q\r"), "");
  EXPECT_FALSE(model_.beeper());
  EXPECT_EQ(send("T\r"), "");
  EXPECT_EQ(model_.test(), TestKind::timed);
  EXPECT_EQ(send("CT\r"), "");
  EXPECT_EQ(model_.test(), TestKind::none);
  EXPECT_EQ(send("S.2R0001\r"), "");
  EXPECT_TRUE(model_.shutdown_active());
  EXPECT_EQ(send("C\r"), "");
  EXPECT_FALSE(model_.shutdown_active());
  EXPECT_EQ(send("HELLO\r"), "");
}

TEST_F(upssim_protocol, CommandsSplitAcrossReadsAndBatchedInOneRead) {
  EXPECT_EQ(send("Q"), "");
  EXPECT_EQ(send("1"), "");
  std::string one = status_line();
  EXPECT_EQ(send("\r"), one);
  std::string batch = send("Q\rQ1\r");
  EXPECT_EQ(batch, status_line());
  EXPECT_FALSE(model_.beeper());
  EXPECT_EQ(batch.substr(38, 8), "00001000") << "the answer already shows the toggle";
}

TEST_F(upssim_protocol, CrReplyAnswersEveryCommandButTheQueries) {
  faults_.cr_reply = true;
  EXPECT_EQ(send("Q\r"), "\r");
  EXPECT_EQ(send("BOGUS\r"), "\r");
  EXPECT_EQ(send("Q1\r"), status_line());
  EXPECT_EQ(send("I\r"), information_line() + "\r");
  EXPECT_EQ(send("F\r").size(), 22u);
}

TEST_F(upssim_protocol, EchoPrecedesTheAnswer) {
  faults_.echo = true;
  EXPECT_EQ(send("Q1\r"), "Q1\r" + status_line());
  EXPECT_EQ(send("Q\r"), "Q\r");
}

TEST_F(upssim_protocol, IgnoredQueriesGetNoAnswerThenTheNextOneDoes) {
  faults_.ignore_queries = 2;
  EXPECT_EQ(send("Q1\r"), "");
  EXPECT_EQ(send("QS\r"), "");
  EXPECT_EQ(send("Q1\r"), status_line());
  EXPECT_EQ(faults_.ignore_queries, 0u);
}

TEST_F(upssim_protocol, GarbageGoesBeforeTheParenthesisOfOneAnswer) {
  faults_.garbage_next = 7;
  std::string answer = send("Q1\r");
  ASSERT_EQ(answer.size(), 54u);
  EXPECT_EQ(answer.find('('), 7u) << "no '(' inside the garbage";
  EXPECT_EQ(answer.find('\r'), 53u);
  EXPECT_EQ(answer.substr(7), status_line());
  EXPECT_EQ(send("Q1\r").size(), 47u);
}

TEST_F(upssim_protocol, OverlongMakesOneAnswerExactlyThatLong) {
  for (std::size_t length : {90u, 91u, 200u, 20u}) {
    faults_.overlong_next = length;
    std::string answer = send("Q1\r");
    ASSERT_EQ(answer.size(), length);
    EXPECT_EQ(answer.back(), '\r');
    EXPECT_EQ(answer.find('\r'), length - 1);
    EXPECT_EQ(answer[0], '(');
  }
  EXPECT_EQ(send("Q1\r").size(), 47u);
}

TEST_F(upssim_protocol, SilentLineHearsNothingAndLosesHalfACommand) {
  faults_.silence = true;
  EXPECT_EQ(send("Q\r"), "");
  EXPECT_TRUE(model_.beeper()) << "a pulled cable carries no command";
  EXPECT_EQ(send("Q"), "");
  faults_.silence = false;
  EXPECT_EQ(send("1\r"), "") << "\"1\" alone is no command";
  EXPECT_EQ(send("Q1\r"), status_line());
}

TEST_F(upssim_protocol, PoweredDownUpsAnswersNothing) {
  model_.set_mains(false);
  model_.battery().set_voltage(10.0);
  model_.advance(1);
  ASSERT_FALSE(model_.powered());
  EXPECT_EQ(send("Q1\r"), "");
  model_.set_mains(true);
  EXPECT_EQ(send("Q1\r").size(), 47u);
}

TEST_F(upssim_protocol, ReceivedCommandsAreLogged) {
  send("Q1\rXYZ\r");
  ASSERT_GE(log_.size(), 3u);
  EXPECT_EQ(log_[0], "rx Q1\\r");
  EXPECT_EQ(log_[1], "rx XYZ\\r");
  EXPECT_EQ(log_[2], "unknown command ignored");
}

}  // namespace
}  // namespace upssim
