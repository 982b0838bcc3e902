// Running NUT's own programs from a test on Linux: one-shot runs with their output and a time
// limit, long-running ones (upsmon) in the background, and waiting for a condition with a deadline.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace nut {

struct ProgramRun {
  int exit_code = -1;  // -1 when it could not start or ran out of time (it is then killed)
  std::string out;
  std::string err;
};

// `environment` entries ("NAME=value") are added to the test's own.
ProgramRun run_program(const std::vector<std::string>& argv, std::chrono::milliseconds time_limit,
                       const std::vector<std::string>& environment = {});

class BackgroundProgram {
 public:
  // Output and errors go to `log_path`.
  BackgroundProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                    const std::string& log_path);
  ~BackgroundProgram();  // ends it (SIGTERM, then SIGKILL) unless it has ended
  BackgroundProgram(const BackgroundProgram&) = delete;
  BackgroundProgram& operator=(const BackgroundProgram&) = delete;

  bool started() const { return pid_ > 0; }
  bool running();

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
};

// Polls `condition` until it holds or `deadline` passes; true when it held.
bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds deadline);

bool program_exists(const std::string& path);

}  // namespace nut
