// The UPS command set. Every command ends with a carriage return; only the status query
// draws an answer (the information query's answer is read and thrown away).
#pragma once

#include <cstdint>
#include <string>

namespace ups_link {

inline constexpr char kStatusQueryCommand[] = "Q1\r";
inline constexpr char kStatusQuerySCommand[] = "QS\r";
inline constexpr char kInformationCommand[] = "I\r";  // wake-up only
inline constexpr char kShortTestCommand[] = "T\r";
inline constexpr char kTestUntilLowCommand[] = "TL\r";
inline constexpr char kCancelTestCommand[] = "CT\r";
inline constexpr char kBeeperToggleCommand[] = "Q\r";
inline constexpr char kCancelTurnOffCommand[] = "C\r";

// The status query for a model's MOD value: 2 selects "QS\r", anything else "Q1\r".
const char* status_query_command(int model_mod);

// "T%02d\r". The minutes arrive over the pipe from any local process, so they are held to
// 1..99 here as well as in the GUI: the UPS only understands two digits.
std::string timed_test_command(std::uint32_t minutes);

}  // namespace ups_link
