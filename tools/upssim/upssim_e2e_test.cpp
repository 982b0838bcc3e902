// The real upssim program on a real pseudo-terminal, driven the way a client of the protocol drives
// it: raw serial port, commands ending in CR, answers told apart by time.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Reads from fd until `count` bytes came, `until` was read, or `timeout_ms` passed.
std::string read_for(int fd, std::size_t count, int timeout_ms, char until = '\0') {
  std::string bytes;
  auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (bytes.size() < count && (until == '\0' || bytes.find(until) == std::string::npos)) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd p{fd, POLLIN, 0};
    if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) {
      break;
    }
    char chunk[256];
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n <= 0) {
      break;
    }
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
  return bytes;
}

// One upssim process in a scratch directory; stopped with SIGTERM at the end.
class Upssim {
 public:
  explicit Upssim(std::vector<std::string> extra = {}) {
    char pattern[] = "/tmp/upssim-e2e.XXXXXX";
    dir_ = ::mkdtemp(pattern);
    std::vector<std::string> args = {UPSSIM_PROGRAM, "--link",  link(),   "--control", control(),
                                     "--record",     record(),  "--state", state(),    "--log",
                                     dir_ + "/log",  "--seed",  "3"};
    args.insert(args.end(), extra.begin(), extra.end());
    start(args);
  }

  ~Upssim() {
    if (pid_ > 0) {
      stop();
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  std::string link() const { return dir_ + "/com1"; }
  std::string control() const { return dir_ + "/control"; }
  std::string record() const { return dir_ + "/record"; }
  std::string state() const { return dir_ + "/state"; }
  const std::string& output() const { return stdout_; }

  // Waits for the ready line (or the end of the program).
  bool ready() {
    stdout_ += read_for(out_.get(), 4096, 3000, '\n');
    return stdout_.rfind("upssim: ready /dev/pts/", 0) == 0;
  }

  // CPU time the program has used so far (user + system), from /proc.
  double cpu_seconds() const {
    std::string stat = read_file("/proc/" + std::to_string(pid_) + "/stat");
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int index = 3; fields >> field && index <= 15; ++index) {
      if (index >= 14) {
        ticks += std::stol(field);
      }
    }
    return static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
  }

  int stop() {
    ::kill(pid_, SIGTERM);
    return wait();
  }

  int wait() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    stdout_ += read_for(out_.get(), 4096, 200);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  struct Fd {
    int fd = -1;
    ~Fd() {
      if (fd >= 0) ::close(fd);
    }
    int get() const { return fd; }
  };

  void start(const std::vector<std::string>& args) {
    int pipe_fds[2];
    ASSERT_EQ(::pipe(pipe_fds), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
    std::vector<char*> argv;
    for (const std::string& a : args) {
      argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    ASSERT_EQ(::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe_fds[1]);
    out_.fd = pipe_fds[0];
  }

  std::string dir_;
  pid_t pid_ = -1;
  Fd out_;
  std::string stdout_;
};

int open_port(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  if (fd < 0) {
    return fd;
  }
  termios tio{};
  ::tcgetattr(fd, &tio);
  ::cfmakeraw(&tio);
  ::cfsetspeed(&tio, B2400);
  ::tcsetattr(fd, TCSANOW, &tio);
  return fd;
}

void send(int fd, const std::string& command) {
  ASSERT_EQ(::write(fd, command.data(), command.size()), static_cast<ssize_t>(command.size()));
}

std::string bits_of(const std::string& answer) { return answer.size() == 47 ? answer.substr(38, 8) : answer; }

TEST(upssim_e2e, ClientSeesStatusBeeperAndMainsAndTheRecordHoldsWhatItSent) {
  Upssim sim;
  ASSERT_TRUE(sim.ready()) << sim.output();
  int port = open_port(sim.link());
  ASSERT_GE(port, 0);

  send(port, "Q1\r");
  std::string first = read_for(port, 47, 1000);
  ASSERT_EQ(first.size(), 47u) << first;
  EXPECT_EQ(first[0], '(');
  EXPECT_EQ(first.back(), '\r');
  EXPECT_EQ(bits_of(first), "00001001");

  send(port, "Q\r");
  EXPECT_EQ(read_for(port, 1, 300), "") << "a command other than a query is answered with silence";
  send(port, "Q1\r");
  EXPECT_EQ(bits_of(read_for(port, 47, 1000)), "00001000");

  std::ofstream(sim.control(), std::ios::app) << "mains off\n";
  ::usleep(200 * 1000);
  send(port, "Q1\r");
  std::string on_battery = read_for(port, 47, 1000);
  EXPECT_EQ(bits_of(on_battery), "10001000");
  EXPECT_EQ(on_battery.substr(0, 6), "(000.0");

  ::close(port);
  EXPECT_EQ(sim.stop(), 0);
  EXPECT_EQ(read_file(sim.record()), "Q1\rQ\rQ1\rQ1\r");
  EXPECT_NE(read_file(sim.state()).find("mains=off "), std::string::npos);
  struct stat info {};
  EXPECT_NE(::lstat(sim.link().c_str(), &info), 0) << "the link is removed at the end";
}

TEST(upssim_e2e, PortCanBeClosedAndOpenedAgain) {
  Upssim sim;
  ASSERT_TRUE(sim.ready()) << sim.output();
  for (int round = 0; round < 2; ++round) {
    int port = open_port(sim.link());
    ASSERT_GE(port, 0);
    send(port, "Q1\r");
    EXPECT_EQ(read_for(port, 47, 1000).size(), 47u) << "round " << round;
    ::close(port);
  }
}

// Without a slave descriptor of its own the simulator would see a hang-up on the master each time
// the client closed the port, and spin on it.
TEST(upssim_e2e, StaysIdleWhileNoClientHasThePortOpen) {
  Upssim sim;
  ASSERT_TRUE(sim.ready()) << sim.output();
  int port = open_port(sim.link());
  ASSERT_GE(port, 0);
  ::close(port);
  double before = sim.cpu_seconds();
  ::usleep(600 * 1000);
  EXPECT_LT(sim.cpu_seconds() - before, 0.2);
}

TEST(upssim_e2e, BadScenarioStopsBeforeStartingWithItsLineNamed) {
  char path[] = "/tmp/upssim-e2e-scenario.XXXXXX";
  int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  const std::string text = "mains on\nat 5 mains sideways\n";
  ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  ::close(fd);
  Upssim sim({"--scenario", path});
  EXPECT_EQ(sim.wait(), 2);
  EXPECT_NE(sim.output().find(std::string(path) + ":2: mains needs on or off"), std::string::npos) << sim.output();
  ::unlink(path);
}

TEST(upssim_e2e, ShippedScenarioIsValid) {
  Upssim sim({"--scenario", UPSSIM_SCENARIO_DIR "/power_failure.txt"});
  ASSERT_TRUE(sim.ready()) << sim.output();
  EXPECT_EQ(sim.stop(), 0);
}

}  // namespace
