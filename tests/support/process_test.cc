#include "support/process.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

ProcessRequest Child(std::vector<std::string> args) {
  ProcessRequest run;
  run.program = ExecutableDirectory() + CHILD_NAME;
  run.args = std::move(args);
  return run;
}

std::vector<std::string> SplitAtNul(const std::string& s) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t nul; (nul = s.find('\0', start)) != std::string::npos;
       start = nul + 1)
    out.push_back(s.substr(start, nul - start));
  return out;
}

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeTempDirectory();
    ASSERT_FALSE(dir_.empty());
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string dir_;
};

TEST(Process, ArgumentsArriveUnchanged) {
  const std::vector<std::string> args = {
      "plain",           "",
      "two words",       "tab\there",
      "new\nline",       "quote\"inside",
      "\"quoted\"",      "trailing\\",
      "trailing two\\\\", "backslash before quote\\\"x",
      "\\\\server\\share\\", "C:\\Program Files\\x y\\",
      "%PATH%",          "$HOME",
      "*",               "?.dat",
      "semi;colon",      "'single'",
      "a&b|c<d>e^f",     "-x=1,2",
  };
  std::vector<std::string> child_args = {"args"};
  child_args.insert(child_args.end(), args.begin(), args.end());
  ProcessResult r = RunProcess(Child(child_args));
  EXPECT_EQ(0, r.exit_status) << r.err;
  std::vector<std::string> got;
  for (const std::string& hex : SplitAtNul(r.out)) {
    std::string arg;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
      arg += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    got.push_back(arg);
  }
  EXPECT_EQ(args, got);
}

TEST(Process, EnvironmentIsSetAndUnsetOnTopOfInherited) {
  ProcessRequest run = Child({"env", "HOLDFAST_PROCESS_A", "HOLDFAST_PROCESS_B",
                            "PATH"});
  run.env = {{"HOLDFAST_PROCESS_A", "one=1 two"},
              {"HOLDFAST_PROCESS_B", "b"}};
  run.unset_env = {"PATH"};
  ProcessResult r = RunProcess(run);
  EXPECT_EQ(0, r.exit_status) << r.err;
  EXPECT_EQ((std::vector<std::string>{"one=1 two", "b", "(unset)"}),
            SplitAtNul(r.out));

  ASSERT_NE(nullptr, std::getenv("PATH"));
  run = Child({"env", "PATH"});
  run.env = {{"PATH", "replaced"}};
  r = RunProcess(run);
  EXPECT_EQ((std::vector<std::string>{"replaced"}), SplitAtNul(r.out));

  r = RunProcess(Child({"env", "PATH"}));
  EXPECT_EQ((std::vector<std::string>{std::getenv("PATH")}),
            SplitAtNul(r.out));
}

TEST_F(TempDir, WorkingDirectoryIsSet) {
  ProcessRequest run = Child({"cwd"});
  run.cwd = dir_;
  ProcessResult r = RunProcess(run);
  ASSERT_EQ(0, r.exit_status) << r.err;
  EXPECT_TRUE(fs::equivalent(dir_, r.out)) << r.out;
}

TEST(Process, StandardInputIsGivenThenClosed) {
  for (std::string text :
       {std::string(), std::string("bytes \x01\x7f\tand\x80 more")}) {
    ProcessRequest run = Child({"cat"});
    run.stdin_text = text;
    ProcessResult r = RunProcess(run);
    EXPECT_EQ(0, r.exit_status) << r.err;
    EXPECT_EQ(text, r.out);
  }
}

TEST(Process, OutputsAndExitStatusAreKeptApart) {
  ProcessResult r = RunProcess(Child({"exit", "to out", "to err", "3"}));
  EXPECT_EQ(3, r.exit_status);
  EXPECT_EQ("to out", r.out);
  EXPECT_EQ("to err", r.err);
}

TEST(Process, LargeOutputIsCapturedWhole) {
  const size_t n = 3 * 1024 * 1024;
  ProcessResult r = RunProcess(Child({"repeat", std::to_string(n)}));
  EXPECT_EQ(0, r.exit_status);
  ASSERT_EQ(n, r.out.size());
  EXPECT_EQ('a', r.out[0]);
  EXPECT_EQ(static_cast<char>('a' + (n - 1) % 26), r.out[n - 1]);
}

TEST_F(TempDir, MissingProgramFailsWithoutHanging) {
  ProcessRequest run;
  run.program = dir_ + "/no-such-program";
  ProcessResult r = RunProcess(run);
  EXPECT_NE(0, r.exit_status);
  EXPECT_FALSE(r.err.empty());
}

TEST_F(TempDir, StartedProcessesRunSideBySide) {
  // The waiting child only finishes if it runs while the test goes on.
  std::string flag = dir_ + "/flag";
  RunningProcess* waiter = StartProcess(Child({"wait-for", flag}));
  std::vector<RunningProcess*> others;
  for (int i = 0; i < 3; ++i)
    others.push_back(StartProcess(
        Child({"exit", "out" + std::to_string(i), "err", std::to_string(i)})));
  EXPECT_EQ(0, RunProcess(Child({"touch", flag})).exit_status);
  EXPECT_EQ(0, WaitProcess(waiter).exit_status);
  for (int i = 2; i >= 0; --i) {
    ProcessResult r = WaitProcess(others[i]);
    EXPECT_EQ(i, r.exit_status);
    EXPECT_EQ("out" + std::to_string(i), r.out);
  }
}

TEST(Process, ExecutableDirectoryHoldsTheTestBinaries) {
  std::string dir = ExecutableDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_TRUE(dir.back() == '/' || dir.back() == '\\');
  EXPECT_TRUE(fs::path(dir).is_absolute());
  EXPECT_TRUE(fs::exists(dir + CHILD_NAME));
}

TEST(Process, TempDirectoriesAreFreshAbsoluteAndEmpty) {
  std::string a = MakeTempDirectory(), b = MakeTempDirectory();
  for (const std::string& d : {a, b}) {
    ASSERT_FALSE(d.empty());
    EXPECT_TRUE(fs::path(d).is_absolute()) << d;
    EXPECT_NE('/', d.back());
    EXPECT_NE('\\', d.back());
    EXPECT_TRUE(fs::is_directory(d));
    EXPECT_TRUE(fs::is_empty(d));
  }
  EXPECT_NE(a, b);
  fs::remove(a);
  fs::remove(b);
}

}  // namespace
