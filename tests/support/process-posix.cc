#include "support/process.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

struct RunningProcess {
  pid_t pid = -1;
  int out = -1;
  int err = -1;
  std::string failure;  // why it could not be started
};

namespace {

std::string TempRoot() {
  const char* dir = getenv("TMPDIR");
  return dir && *dir ? dir : "/tmp";
}

// An unnamed file: gone from the folder at once, read back by fd.
int AnonymousFile() {
  std::string name = TempRoot() + "/holdfast-process-XXXXXX";
  int fd = mkstemp(name.data());
  if (fd < 0)
    return -1;
  unlink(name.c_str());
  fcntl(fd, F_SETFD, FD_CLOEXEC);
  return fd;
}

bool WriteAll(int fd, const std::string& s) {
  size_t done = 0;
  while (done < s.size()) {
    ssize_t n = write(fd, s.data() + done, s.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

std::string ReadAll(int fd) {
  std::string out;
  if (fd < 0 || lseek(fd, 0, SEEK_SET) != 0)
    return out;
  char buf[65536];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      break;
    out.append(buf, static_cast<size_t>(n));
  }
  return out;
}

std::vector<std::string> ChildEnvironment(const ProcessRequest& run) {
  std::vector<std::string> out;
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    std::string name = entry.substr(0, entry.find('='));
    bool drop = false;
    for (const std::string& u : run.unset_env)
      drop = drop || u == name;
    for (const auto& [n, v] : run.env)
      drop = drop || n == name;
    if (!drop)
      out.push_back(entry);
  }
  for (const auto& [n, v] : run.env)
    out.push_back(n + "=" + v);
  return out;
}

void CloseIfOpen(int fd) {
  if (fd >= 0)
    close(fd);
}

}  // namespace

RunningProcess* StartProcess(const ProcessRequest& run) {
  auto* p = new RunningProcess;
  int in = AnonymousFile();
  p->out = AnonymousFile();
  p->err = AnonymousFile();
  if (in < 0 || p->out < 0 || p->err < 0 || !WriteAll(in, run.stdin_text) ||
      lseek(in, 0, SEEK_SET) != 0) {
    p->failure = std::string("cannot make temporary files: ") + strerror(errno);
    CloseIfOpen(in);
    return p;
  }

  // Everything the child needs is built before fork: after it, only
  // async-signal-safe calls.
  std::vector<std::string> env = ChildEnvironment(run);
  std::vector<char*> envp;
  for (std::string& e : env)
    envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = run.args;
  args.insert(args.begin(), run.program);
  std::vector<char*> argv;
  for (std::string& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  std::string exec_failed = "cannot run " + run.program + "\n";
  std::string chdir_failed = "cannot enter " + run.cwd + "\n";

  pid_t pid = fork();
  if (pid == 0) {
    if (dup2(in, 0) < 0 || dup2(p->out, 1) < 0 || dup2(p->err, 2) < 0)
      _exit(127);
    if (!run.cwd.empty() && chdir(run.cwd.c_str()) != 0) {
      WriteAll(2, chdir_failed);
      _exit(127);
    }
    execve(argv[0], argv.data(), envp.data());
    WriteAll(2, exec_failed);
    _exit(127);
  }
  close(in);
  if (pid < 0)
    p->failure = std::string("cannot fork: ") + strerror(errno);
  p->pid = pid;
  return p;
}

ProcessResult WaitProcess(RunningProcess* p) {
  ProcessResult result;
  if (p->pid > 0) {
    int status = 0;
    pid_t got;
    while ((got = waitpid(p->pid, &status, 0)) < 0 && errno == EINTR) {
    }
    if (got == p->pid && WIFEXITED(status))
      result.exit_status = WEXITSTATUS(status);
    else if (got == p->pid && WIFSIGNALED(status))
      result.exit_status = 128 + WTERMSIG(status);
    result.out = ReadAll(p->out);
    result.err = ReadAll(p->err);
  } else {
    result.err = p->failure;
  }
  CloseIfOpen(p->out);
  CloseIfOpen(p->err);
  delete p;
  return result;
}

std::string ExecutableDirectory() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0)
    return "./";
  std::string path(buf, static_cast<size_t>(n));
  return path.substr(0, path.rfind('/') + 1);
}

std::string MakeTempDirectory() {
  std::string root = TempRoot();
  char real[PATH_MAX];
  if (realpath(root.c_str(), real))
    root = real;
  std::string name = root + "/holdfast-test-XXXXXX";
  if (!mkdtemp(name.data()))
    return std::string();
  return name;
}
