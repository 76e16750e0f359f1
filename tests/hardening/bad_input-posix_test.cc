// Bad input only POSIX can make: any byte but "/" in a name, trees deeper
// than PATH_MAX, link loops, sparse giants, and a directory removed while
// the walk stands in it.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "e2e/harness.h"
#include "support/process.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

TEST(PosixBadInput, NonAsciiAndControlBytesReachTheEngineWhole) {
  const std::vector<std::string> names = {
      "caf\xc3\xa9.dat", "\xff\xfe\x80.dat", "tab\there.dat",
      "line\nfeed.dat", "back\\slash.dat", "esc\x1b[2J.dat"};
  for (bool block : {false, true}) {
    SCOPED_TRACE(block ? "block mode" : "one file at a time");
    Sandbox box;
    std::vector<std::string> paths;
    for (const std::string& name : names) {
      box.Btrieve("d/" + name);
      paths.push_back(box.Path("d/" + name));
    }
    std::vector<std::string> args = {box.Path("d/*.dat")};
    if (block)
      args.push_back("-B");
    Outcome run = box.Run(args);
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(Unspun(run.err), Header("*.dat") + Completion(6));
    std::vector<std::string> reached;
    for (const Call& call : box.Journal()) {
      if (call.op != 42)
        continue;
      EXPECT_EQ(call.status, 0);
      std::string list = call.data.substr(0, call.data.find('\0'));
      for (size_t start = 0, end; start <= list.size(); start = end + 1) {
        end = std::min(list.find(',', start), list.size());
        reached.push_back(list.substr(start, end - start));
      }
    }
    std::sort(reached.begin(), reached.end());
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(reached, paths);
  }
}

TEST(PosixBadInput, SparseFilesOf4GiBInBlockMode) {
  Sandbox box;
  const uint64_t k4GiB = uint64_t{1} << 32;
  box.Btrieve("d/whole.dat", k4GiB);
  box.Btrieve("d/odd.dat", k4GiB + 100);
  Outcome run = box.Run({box.Path("d/*.dat"), "-B"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(Unspun(run.err), Header("*.dat") + Completion(1));
  EXPECT_EQ(box.Held(), std::vector<std::string>{box.Path("d/whole.dat")});
}

TEST(PosixBadInput, LinkLoopsAreNeitherFollowedNorHandedOn) {
  Sandbox box;
  box.Btrieve("d/a.dat");
  fs::create_symlink("self.dat", box.Path("d/self.dat"));
  fs::create_symlink("pong.dat", box.Path("d/ping.dat"));
  fs::create_symlink("ping.dat", box.Path("d/pong.dat"));
  fs::create_directory_symlink("..", box.Path("d/up"));
  fs::create_directory_symlink(box.Path("d"), box.Path("d/again"));
  Outcome run = box.Run({box.Path("d/*"), "-S"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(Unspun(run.err), Header("*") + Completion(1));
  EXPECT_EQ(BegunNames(box.Journal()), std::vector<std::string>{box.Path("d/a.dat")});
}

// A relative file specification from a current directory that has been
// removed: its "../" cannot be resolved, and must not become "/".
TEST(PosixBadInput, RelativeSpecificationFromARemovedDirectory) {
  Sandbox box;
  box.Btrieve("a.dat");
  box.Directory("gone");
  ProcessRequest request;
  request.program = "/bin/sh";
  request.args = {"-c", "cd \"$1\" && rmdir \"$1\" && exec \"$2\" '../*.dat' -S",
               "sh", box.Path("gone"), HoldfastPath()};
  request.env = box.Environment();
  ProcessResult run = RunProcess(request);
  EXPECT_EQ(run.exit_status, 4);
  EXPECT_EQ(Unspun(run.err), Header("*.dat") + "Unable to set directory to <>.\n");
  EXPECT_EQ(Operations(box.Journal()), std::vector<int>{28});
}

// Made with paths relative to an open directory: whole, they exceed
// PATH_MAX, which the path-taking calls refuse.
class DeepTree {
 public:
  DeepTree(const std::string& root, int levels, const std::string& level_name)
      : root_(root) {
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < levels && fd >= 0; ++i) {
      int file = openat(fd, "f.dat", O_WRONLY | O_CREAT, 0644);
      EXPECT_GE(file, 0);
      static const char kMark[] = "STANDIN-BTRIEVE\n";
      EXPECT_EQ(write(file, kMark, sizeof kMark - 1), 16);
      EXPECT_EQ(ftruncate(file, 2048), 0);
      close(file);
      EXPECT_EQ(mkdirat(fd, level_name.c_str(), 0755), 0);
      int next = openat(fd, level_name.c_str(), O_RDONLY | O_DIRECTORY);
      close(fd);
      fd = next;
    }
    if (fd >= 0)
      close(fd);
  }
  ~DeepTree() {
    int fd = open(root_.c_str(), O_RDONLY | O_DIRECTORY);
    RemoveContents(fd);
  }

 private:
  static void RemoveContents(int fd) {
    if (fd < 0)
      return;
    unlinkat(fd, "f.dat", 0);
    DIR* dir = fdopendir(fd);
    if (!dir) {
      close(fd);
      return;
    }
    std::vector<std::string> subdirectories;
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..")
        subdirectories.push_back(name);
    }
    for (const std::string& name : subdirectories) {
      RemoveContents(openat(dirfd(dir), name.c_str(), O_RDONLY | O_DIRECTORY));
      unlinkat(dirfd(dir), name.c_str(), AT_REMOVEDIR);
    }
    closedir(dir);
  }

  std::string root_;
};

// Two hundred levels of 20-character names: paths pass 255 early and
// PATH_MAX late. Every file is handed on whole, or named as skipped, or
// lies below the directory the run names as not entered.
TEST(PosixBadInput, TreeDeeperThanPathMax) {
  Sandbox box;
  const std::string level(20, 'L');
  box.Directory("d");
  DeepTree tree(box.Path("d"), 200, level);
  Outcome run = box.Run({box.Path("d/*.dat"), "-S"});
  EXPECT_EQ(run.exit_code, 4);

  std::vector<std::string> begun = BegunNames(box.Journal());
  std::string err = Unspun(run.err);
  std::string directory = box.Path("d/");
  size_t position = Header("*.dat").size();
  ASSERT_TRUE(err.starts_with(Header("*.dat"))) << err;
  size_t handed = 0, skipped = 0;
  for (;;) {
    std::string path = directory + "f.dat";
    std::string skip = "Skipping <" + path + ">: path longer than 255 characters.\n";
    if (path.size() <= 255) {
      ASSERT_LT(handed, begun.size());
      EXPECT_EQ(begun[handed++], path);
    } else if (err.compare(position, skip.size(), skip) == 0) {
      position += skip.size();
      ++skipped;
    } else {
      break;
    }
    directory += level + "/";
  }
  EXPECT_EQ(handed, begun.size());
  EXPECT_GT(skipped, 100u);
  EXPECT_GT(directory.size(), static_cast<size_t>(PATH_MAX));
  EXPECT_EQ(err.substr(position),
            "Unable to set directory to <" + directory + ">.\n");
}

// The stand-in opens its journal for each call. Made a pipe with no room
// left, the journal holds the program inside its first engine call; the
// test then removes the tree under the walk and lets it go on.
TEST(PosixBadInput, DirectoryRemovedWhileTheWalkIsInIt) {
  Sandbox box;
  box.Btrieve("d/one/a.dat");
  box.Btrieve("d/two/b.dat");
  std::string fifo = box.root() + "/../journal.fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  int pipe = open(fifo.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(pipe, 0);
  std::string filler(4096, '#');
  size_t filled = 0;
  for (ssize_t n; (n = write(pipe, filler.data(), filler.size())) > 0;)
    filled += n;
  for (ssize_t n; (n = write(pipe, "#", 1)) > 0;)
    filled += n;

  ProcessRequest request;
  request.program = HoldfastPath();
  request.args = {box.Path("d/*.dat"), "-S"};
  request.env = box.Environment();
  for (auto& [name, value] : request.env)
    if (name == "HOLDFAST_STANDIN_JOURNAL")
      value = fifo;
  request.cwd = box.root();
  RunningProcess* process = StartProcess(request);
  ASSERT_NE(process, nullptr);

  // The engine has begun the first file once the state says so; its
  // journal line then waits for room in the pipe.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  std::vector<std::string> held;
  while ((held = box.Held()).empty() &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(held.size(), 1u);
  fs::remove_all(box.Path("d/one"));
  fs::remove_all(box.Path("d/two"));

  std::string journal;
  std::atomic<bool> done{false};
  std::thread drain([&] {
    char buffer[65536];
    while (!done) {
      struct pollfd ready = {pipe, POLLIN, 0};
      if (poll(&ready, 1, 20) > 0) {
        ssize_t n = read(pipe, buffer, sizeof buffer);
        if (n > 0)
          journal.append(buffer, n);
      }
    }
  });
  ProcessResult run = WaitProcess(process);
  done = true;
  drain.join();
  // What the program wrote after the drain's last look is still in the pipe.
  char rest[65536];
  for (ssize_t n; (n = read(pipe, rest, sizeof rest)) > 0;)
    journal.append(rest, n);
  close(pipe);

  // The first subdirectory's file was begun; the other one was gone by the
  // time the walk came to it, and the run says so.
  bool first_is_one = held[0] == box.Path("d/one/a.dat");
  EXPECT_EQ(held[0], box.Path(first_is_one ? "d/one/a.dat" : "d/two/b.dat"));
  std::string other = box.Path(first_is_one ? "d/two/" : "d/one/");
  EXPECT_EQ(run.exit_status, 4);
  EXPECT_EQ(Unspun(run.err),
            Header("*.dat") + "Unable to set directory to <" + other + ">.\n");
  ASSERT_GE(journal.size(), filled);
  std::vector<Call> calls = ParseJournal(journal.substr(filled));
  EXPECT_EQ(BegunNames(calls), held);
  EXPECT_EQ(Operations(calls), (std::vector<int>{42, 28}));
}

}  // namespace
}  // namespace e2e
