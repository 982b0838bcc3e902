// LogSink: where the simulator's portable parts report what happened (received commands, replies,
// faults, scenario steps, events of the UPS). The program adds time stamps and writes the file;
// tests collect the lines.
#pragma once

#include <functional>
#include <string>

namespace upssim {

using LogSink = std::function<void(const std::string& line)>;

}  // namespace upssim
