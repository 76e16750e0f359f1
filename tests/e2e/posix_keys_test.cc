// Keys from the controlling terminal, through a pseudo-terminal. The keys
// are typed before the program starts, so the walk's first poll finds them.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "harness.h"

extern char** environ;

namespace e2e {
namespace {

const char kEarly[] = "HOLDFAST Terminated Early.\n";

enum class Seat {
  kForeground,   // the terminal is the program's, and it is in front
  kNoTerminal,   // a session without a controlling terminal
  kBackground,   // the terminal's, from a process group not in front
};

struct Terminal {
  int master = -1;
  int slave = -1;
  Terminal() {
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
      ADD_FAILURE() << "openpty: " << std::strerror(errno);
  }
  ~Terminal() {
    close(master);
    close(slave);
  }
  void Type(const std::string& keys) const {
    ASSERT_EQ(write(master, keys.data(), keys.size()),
              static_cast<ssize_t>(keys.size()));
  }
  termios Settings() const {
    termios mode{};
    EXPECT_EQ(tcgetattr(slave, &mode), 0);
    return mode;
  }
};

bool SameSettings(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag &&
         a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
         std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Started {
  pid_t pid = -1;
  std::string out_path, err_path;
};

// Starts the program in `seat` with `terminal`. Standard input is the
// terminal, or the file `stdin_path` when given.
Started Start(const Sandbox& box, const Terminal& terminal, Seat seat,
              const std::vector<std::string>& args,
              const RunSettings& settings = {},
              const std::string& stdin_path = "") {
  Started started;
  started.out_path = box.journal_path() + ".out";
  started.err_path = box.journal_path() + ".err";
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e)
    env.push_back(*e);
  for (const auto& [name, value] : box.Environment(settings))
    env.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& e : env)
    envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> argv_text = args;
  argv_text.insert(argv_text.begin(), HoldfastPath());
  std::vector<char*> argv;
  for (std::string& a : argv_text)
    argv.push_back(a.data());
  argv.push_back(nullptr);

  started.pid = fork();
  if (started.pid != 0)
    return started;
  setsid();
  if (seat != Seat::kNoTerminal && ioctl(terminal.slave, TIOCSCTTY, 0) != 0)
    _exit(120);
  if (seat == Seat::kBackground) {
    // The session leader stays in front; its child runs behind it.
    pid_t child = fork();
    if (child > 0) {
      int status = 0;
      waitpid(child, &status, 0);
      _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 121);
    }
    setpgid(0, 0);
  }
  int in = stdin_path.empty() ? terminal.slave : open(stdin_path.c_str(), O_RDONLY);
  int out = open(started.out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  int err = open(started.err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 ||
      dup2(err, 2) < 0 || chdir(box.root().c_str()) != 0)
    _exit(122);
  close(terminal.master);
  close(terminal.slave);
  execve(argv[0], argv.data(), envp.data());
  _exit(123);
}

// The wait status, or -1 when the program did not end within the time.
int WaitBounded(pid_t pid, std::chrono::seconds limit = std::chrono::seconds(20)) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    int status = 0;
    pid_t got = waitpid(pid, &status, WNOHANG);
    if (got == pid)
      return status;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

Outcome Finish(const Started& started) {
  Outcome outcome;
  int status = WaitBounded(started.pid);
  EXPECT_NE(status, -1) << "the program did not end";
  if (status != -1 && WIFEXITED(status))
    outcome.exit_code = WEXITSTATUS(status);
  outcome.out = ReadFile(started.out_path);
  outcome.err = ReadFile(started.err_path);
  return outcome;
}

struct KeyCase {
  const char* name;
  std::string typed;
  bool stops;
  int files_before_stop;  // spinner turns before the stop
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class Keys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(Keys, OnlyALoneEscStopsTheRun) {
  const KeyCase& c = GetParam();
  Sandbox box;
  box.Btrieve("a.dat");
  Terminal terminal;
  termios before = terminal.Settings();
  terminal.Type(c.typed);
  Outcome run = Finish(Start(box, terminal, Seat::kForeground, {"*.dat"}));
  EXPECT_EQ(run.exit_code, 0);
  if (c.stops) {
    EXPECT_EQ(run.err, Header("*.dat") + Spinner(c.files_before_stop) + kEarly);
    EXPECT_EQ(Operations(box.Journal()), std::vector<int>{28});
  } else {
    EXPECT_EQ(run.err, Header("*.dat") + Spinner(1) + Completion(1));
    EXPECT_EQ(Operations(box.Journal()), (std::vector<int>{42, 28}));
  }
  EXPECT_TRUE(SameSettings(terminal.Settings(), before));
}

INSTANTIATE_TEST_SUITE_P(
    Typed, Keys,
    ::testing::Values(
        KeyCase{"Nothing", "", false, 0},
        KeyCase{"Esc", "\x1b", true, 0},
        KeyCase{"Letter", "q", false, 0},
        KeyCase{"CursorUp", "\x1b[A", false, 0},
        KeyCase{"FunctionKey", "\x1bOP", false, 0},
        KeyCase{"PageDown", "\x1b[6~", false, 0},
        // The first poll takes the first key; the file's poll the Esc.
        KeyCase{"LetterThenEsc", "q\x1b", true, 1},
        KeyCase{"CursorUpThenEsc", "\x1b[A\x1b", true, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeysSeat, WithoutTheTerminalInFrontEscIsNotSeen) {
  for (Seat seat : {Seat::kNoTerminal, Seat::kBackground}) {
    SCOPED_TRACE(seat == Seat::kNoTerminal ? "no terminal" : "background");
    Sandbox box;
    box.Btrieve("a.dat");
    Terminal terminal;
    termios before = terminal.Settings();
    terminal.Type("\x1b");
    Outcome run = Finish(Start(box, terminal, seat, {"*.dat"}));
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.err, Header("*.dat") + Spinner(1) + Completion(1));
    EXPECT_TRUE(SameSettings(terminal.Settings(), before));
  }
}

TEST(KeysSeat, KeysComeFromTheTerminalNotStandardInput) {
  Sandbox box;
  box.Btrieve("a.dat");
  std::string esc_file = box.journal_path() + ".in";
  std::ofstream(esc_file, std::ios::binary) << "\x1b";

  Terminal quiet;
  Outcome redirected = Finish(
      Start(box, quiet, Seat::kForeground, {"*.dat"}, {}, esc_file));
  EXPECT_EQ(redirected.err, Header("*.dat") + Spinner(1) + Completion(1));

  Terminal typed;
  typed.Type("\x1b");
  Outcome stopped = Finish(
      Start(box, typed, Seat::kForeground, {"*.dat"}, {}, esc_file));
  EXPECT_EQ(stopped.err, Header("*.dat") + kEarly);
}

// Whether the program took the terminal for its keys within the time.
bool TakesTerminal(const Terminal& terminal) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    if ((terminal.Settings().c_lflag & (ICANON | ECHO)) == 0)
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

// The journal is a FIFO nobody reads, so the program's first engine call
// waits for ever: a signal is sure to find it in the middle of the walk.
TEST(KeysSeat, TerminalIsGivenBackWhenTheRunIsKilled) {
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal_number));
    Sandbox box;
    box.Btrieve("a.dat");
    ASSERT_EQ(mkfifo(box.journal_path().c_str(), 0600), 0);
    Terminal terminal;
    termios before = terminal.Settings();
    Started started = Start(box, terminal, Seat::kForeground, {"*.dat"});
    EXPECT_TRUE(TakesTerminal(terminal));

    kill(started.pid, signal_number);
    int status = WaitBounded(started.pid);
    ASSERT_NE(status, -1) << "the program did not end";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number)
        << "wait status " << status << ", stderr: "
        << ReadFile(started.err_path);
    EXPECT_TRUE(SameSettings(terminal.Settings(), before));
  }
}

}  // namespace
}  // namespace e2e
