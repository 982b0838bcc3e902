#include "nut/test_programs_native.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

extern char** environ;

namespace nut {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> merged_environment(const std::vector<std::string>& extra) {
  std::vector<std::string> all;
  for (char** entry = environ; *entry != nullptr; ++entry) all.emplace_back(*entry);
  all.insert(all.end(), extra.begin(), extra.end());
  return all;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> list;
  for (std::string& text : texts) list.push_back(text.data());
  list.push_back(nullptr);
  return list;
}

pid_t spawn(std::vector<std::string> argv, const std::vector<std::string>& environment,
            posix_spawn_file_actions_t* actions) {
  std::vector<std::string> env = merged_environment(environment);
  const std::vector<char*> args = pointers(argv);
  const std::vector<char*> envp = pointers(env);
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0], actions, nullptr, args.data(), envp.data()) != 0) return -1;
  return pid;
}

int exit_code_of(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

// Drains both pipes until they close or the time is up.
bool collect(int out_fd, int err_fd, Clock::time_point deadline, ProgramRun& run) {
  pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* sinks[2] = {&run.out, &run.err};
  int open = 2;
  while (open > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0 || ::poll(fds, 2, static_cast<int>(left)) <= 0) return false;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char chunk[4096];
      const ssize_t got = ::read(fds[i].fd, chunk, sizeof chunk);
      if (got > 0) {
        sinks[i]->append(chunk, static_cast<std::size_t>(got));
      } else {
        fds[i].fd = -1;
        --open;
      }
    }
  }
  return true;
}

}  // namespace

ProgramRun run_program(const std::vector<std::string>& argv, std::chrono::milliseconds time_limit,
                       const std::vector<std::string>& environment) {
  ProgramRun run;
  int out[2], err[2];
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  const pid_t pid = spawn(argv, environment, &actions);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  ::close(err[1]);
  const bool finished = pid > 0 && collect(out[0], err[0], Clock::now() + time_limit, run);
  ::close(out[0]);
  ::close(err[0]);
  if (pid <= 0) return run;
  if (!finished) ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
  run.exit_code = finished ? exit_code_of(status) : -1;
  return run;
}

BackgroundProgram::BackgroundProgram(const std::vector<std::string>& argv,
                                     const std::vector<std::string>& environment, const std::string& log_path) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  pid_ = spawn(argv, environment, &actions);
  posix_spawn_file_actions_destroy(&actions);
}

bool BackgroundProgram::running() {
  if (pid_ <= 0 || reaped_) return false;
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) == 0) return true;
  reaped_ = true;
  return false;
}

BackgroundProgram::~BackgroundProgram() {
  if (!running()) return;
  ::kill(pid_, SIGTERM);
  if (!wait_until([this] { return !running(); }, std::chrono::milliseconds(3000))) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
}

bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
  const Clock::time_point end = Clock::now() + deadline;
  while (!condition()) {
    if (Clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

bool program_exists(const std::string& path) { return ::access(path.c_str(), X_OK) == 0; }

}  // namespace nut
