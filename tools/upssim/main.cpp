// upssim: a UPS of the serial status protocol on a pseudo-terminal, for the demo and the
// end-to-end tests. This file is only the event loop around the portable Simulator: it moves bytes
// between the pty and the simulator, tails the control file, keeps the clock, writes the record,
// log and state files, and ends cleanly on SIGTERM, SIGINT or "quit".
// Exit codes: 0 normal end, 1 the pty or a file could not be set up, 2 bad command line or scenario.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/upssim/control_tail.h"
#include "tools/upssim/options.h"
#include "tools/upssim/pty_link.h"
#include "tools/upssim/scenario.h"
#include "tools/upssim/sim_files.h"
#include "tools/upssim/simulator.h"

namespace upssim {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr double kControlPollS = 0.05;
constexpr double kLongestWaitS = 0.05;        // physics and the state file stay this fresh
constexpr std::size_t kMostUnsent = 1u << 20;  // beyond this, a host that never reads loses bytes

class Clock {
 public:
  double now() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count(); }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

struct Io {
  PtyLink& pty;
  ControlTail& control;
  RecordFile& record;
  StateFile& state;
  LogFile& log;
};

class EventLoop {
 public:
  EventLoop(Io io, Simulator& sim, const Clock& clock) : io_(io), sim_(sim), clock_(clock) {}

  void run(int signal_fd) {
    while (!sim_.quit_requested()) {
      pollfd fds[2] = {{io_.pty.master(), static_cast<short>(POLLIN | (unsent_.empty() ? 0 : POLLOUT)), 0},
                       {signal_fd, POLLIN, 0}};
      ::poll(fds, 2, timeout_ms());
      if (fds[1].revents & POLLIN) {
        io_.log.line("signal: stopping", clock_.now());
        return;
      }
      if (fds[0].revents & POLLIN) {
        read_line();
      }
      read_control();
      sim_.advance_to(clock_.now());
      flush_output();
      io_.state.update(sim_.state_text());
    }
  }

 private:
  int timeout_ms() const {
    double now = clock_.now();
    double wait = std::min(kLongestWaitS, next_control_s_ - now);
    if (std::optional<double> due = sim_.next_due()) {
      wait = std::min(wait, *due - now);
    }
    return static_cast<int>(std::ceil(std::max(0.0, wait) * 1000.0));
  }

  void read_line() {
    char bytes[4096];
    ssize_t n = ::read(io_.pty.master(), bytes, sizeof bytes);
    if (n <= 0) {
      return;
    }
    std::string_view received(bytes, static_cast<std::size_t>(n));
    io_.record.append(received);
    sim_.receive(received, clock_.now());
  }

  void read_control() {
    double now = clock_.now();
    if (now < next_control_s_) {
      return;
    }
    next_control_s_ = now + kControlPollS;
    for (const std::string& line : io_.control.poll()) {
      Parsed<std::optional<ScriptStep>> step = parse_script_line(line);
      if (!step) {
        io_.log.line("control: bad line \"" + line + "\": " + step.error, now);
      } else if (*step.value) {
        (*step.value)->origin = "control";
        sim_.submit(std::move(**step.value), now);
      }
    }
  }

  void flush_output() {
    unsent_ += sim_.take_output(clock_.now());
    if (unsent_.size() > kMostUnsent) {
      io_.log.line("line full: dropped " + std::to_string(unsent_.size() - kMostUnsent) + " bytes", clock_.now());
      unsent_.resize(kMostUnsent);
    }
    while (!unsent_.empty()) {
      ssize_t n = io_.pty.write_some(unsent_);
      if (n <= 0) {
        return;
      }
      unsent_.erase(0, static_cast<std::size_t>(n));
    }
  }

  Io io_;
  Simulator& sim_;
  const Clock& clock_;
  std::string unsent_;
  double next_control_s_ = 0;
};

int fail(int code, const std::string& message) {
  std::fprintf(stderr, "upssim: %s\n", message.c_str());
  return code;
}

// SIGTERM and SIGINT arrive as readable data on a descriptor, so poll sees them without races.
int signal_descriptor() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  sigprocmask(SIG_BLOCK, &set, nullptr);
  return ::signalfd(-1, &set, SFD_CLOEXEC);
}

Parsed<std::vector<ScriptStep>> load_scenario(const std::string& path) {
  if (path.empty()) {
    return success(std::vector<ScriptStep>());
  }
  std::string text;
  std::string error;
  if (!read_whole_file(path, &text, &error)) {
    return Failure{"scenario " + error};
  }
  return parse_scenario(text, path);
}

int run(const Options& options) {
  Parsed<std::vector<ScriptStep>> scenario = load_scenario(options.scenario);
  if (!scenario) {
    return fail(kExitUsage, scenario.error);
  }
  std::string error;
  LogFile log;
  RecordFile record;
  ControlTail control;
  StateFile state(options.state);
  if (!log.open(options.log, &error) || !record.open(options.record, &error) ||
      (!options.control.empty() && !control.open(options.control, &error))) {
    return fail(kExitFailure, error);
  }
  UniqueFd signals(signal_descriptor());
  PtyLink pty;
  if (!signals || !pty.open(options.link, &error)) {
    return fail(kExitFailure, signals ? error : "signalfd failed");
  }
  Clock clock;
  Simulator sim(options.speed, options.seed, [&](const std::string& line) { log.line(line, clock.now()); });
  char settings[64];
  std::snprintf(settings, sizeof settings, ", speed %g, seed %u", options.speed, options.seed);
  log.line("started: " + options.link + " -> " + pty.slave_path() + settings, clock.now());
  for (ScriptStep& step : *scenario.value) {
    sim.submit(std::move(step), 0.0);
  }
  state.update(sim.state_text());
  std::printf("upssim: ready %s\n", pty.slave_path().c_str());
  std::fflush(stdout);
  EventLoop(Io{pty, control, record, state, log}, sim, clock).run(signals.get());
  log.line("stopped", clock.now());
  return 0;
}

}  // namespace
}  // namespace upssim

int main(int argc, char** argv) {
  upssim::Parsed<upssim::Options> options = upssim::parse_options(std::vector<std::string>(argv + 1, argv + argc));
  if (!options) {
    std::fprintf(stderr, "upssim: %s\n%s", options.error.c_str(), upssim::usage());
    return 2;
  }
  return upssim::run(*options.value);
}
