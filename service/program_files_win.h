// This program's own path and starting other programs from it.
#pragma once

#include <string>

namespace service {

// The full path of this program.
std::wstring this_program_path();

// Starts `command_line` as a new process with default settings, without waiting; false when it
// could not be started.
bool start_program(const std::wstring& command_line);

}  // namespace service
