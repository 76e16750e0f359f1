// The stand-in's state file under SIGKILL: a writer killed at any moment
// leaves the state as it was before or after one whole change, and the
// next process can lock and read it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "e2e/harness.h"
#include "support/process.h"

namespace e2e {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(StandinState, WriterKilledMidWriteLeavesOldOrNewState) {
  Sandbox box;
  std::vector<std::string> args = {StandinPath()};
  std::string full;
  const std::string client = "01000000000000000000000000000000";
  for (int i = 0; i < 100; ++i) {
    std::string name = "d/" + std::to_string(i) + std::string(150, 'x') + ".dat";
    box.Btrieve(name);
    args.push_back(box.Path(name));
    full += client + "\t" + box.Path(name) + "\n";
  }
  std::string state_file = box.state_path() + "/continuous.txt";
  std::string writer = ExecutableDirectory() + "standin_writer";
  std::vector<char*> argv = {writer.data()};
  for (std::string& arg : args)
    argv.push_back(arg.data());
  argv.push_back(nullptr);

  int changes_seen = 0;
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      setenv("HOLDFAST_STANDIN_STATE", box.state_path().c_str(), 1);
      execv(writer.c_str(), argv.data());
      _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30 + 17 * round));
    ASSERT_EQ(kill(pid, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself";
    std::string state = ReadFile(state_file);
    EXPECT_TRUE(state.empty() || state == full)
        << state.size() << " bytes of state";
    changes_seen += !state.empty();
  }
  EXPECT_GT(changes_seen, 0);

  // The lock died with the writer: a run ends all that it began.
  Outcome run = box.Run({"-E"});
  EXPECT_EQ(run.exit_code, 0);
  std::string state = ReadFile(state_file);
  EXPECT_TRUE(state.empty() || state == full) << state;
}

}  // namespace
}  // namespace e2e
