// Running a program from a test and collecting what it printed.
#ifndef HOLDFAST_TESTS_SUPPORT_PROCESS_H_
#define HOLDFAST_TESTS_SUPPORT_PROCESS_H_

#include <string>
#include <utility>
#include <vector>

// exit_status is the program's exit code; 128 + the signal number when a
// signal killed it on POSIX; -1 when it could not be started, with the
// reason in err. Where it started but could not run (POSIX exec failure)
// the code is 127.
struct ProcessResult {
  int exit_status = -1;
  std::string out, err;
};

struct ProcessRequest {
  std::string program;            // path of the executable
  std::vector<std::string> args;  // arguments after the program name
  // Set on top of the inherited environment.
  std::vector<std::pair<std::string, std::string>> env;
  std::vector<std::string> unset_env;  // removed from the inherited one
  std::string cwd;                     // empty: inherit
  std::string stdin_text;  // written to the child's stdin, then closed
};

// Runs to completion; stdout and stderr are captured byte for byte.
ProcessResult RunProcess(const ProcessRequest& run);

// For running several at once. The children write to files, not pipes, so
// none of them blocks while the test waits for another.
struct RunningProcess;
RunningProcess* StartProcess(const ProcessRequest& run);
ProcessResult WaitProcess(RunningProcess* process);  // frees it

// Folder of the running test binary, ending in the separator.
std::string ExecutableDirectory();

// A fresh empty directory, absolute, without a trailing separator; empty
// on failure.
std::string MakeTempDirectory();

#endif  // HOLDFAST_TESTS_SUPPORT_PROCESS_H_
