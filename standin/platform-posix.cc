#include "platform.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace standin {

const char kPathSeparator = '/';

namespace {

std::string Describe(const char* what, const std::string& path) {
  return std::string(what) + " " + path + ": " + strerror(errno);
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

}  // namespace

std::string Environment(const char* name) {
  const char* value = getenv(name);
  return value ? value : "";
}

std::string TempDirectory() {
  const char* dir = getenv("TMPDIR");
  std::string out = dir && *dir ? dir : "/tmp";
  while (out.size() > 1 && out.back() == '/')
    out.pop_back();
  return out;
}

bool MakeDirectories(const std::string& path, std::string* err) {
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/')
      continue;
    std::string prefix = path.substr(0, i);
    if (mkdir(prefix.c_str(), 0777) == 0 || errno == EEXIST)
      continue;
    *err = Describe("cannot create", prefix);
    return false;
  }
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    *err = "not a directory: " + path;
    return false;
  }
  return true;
}

struct StateLock {
  int fd;
};

StateLock* LockExclusive(const std::string& path, std::string* err) {
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    *err = Describe("cannot open", path);
    return nullptr;
  }
  struct flock fl = {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  int rc;
  while ((rc = fcntl(fd, F_SETLKW, &fl)) < 0 && errno == EINTR) {
  }
  if (rc < 0) {
    *err = Describe("cannot lock", path);
    close(fd);
    return nullptr;
  }
  return new StateLock{fd};
}

void Unlock(StateLock* lock) {
  if (!lock)
    return;
  close(lock->fd);  // Drops the lock too.
  delete lock;
}

bool ReplaceAtomically(const std::string& path, const std::string& contents,
                       std::string* err) {
  std::string tmp = path + ".tmp";
  int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    *err = Describe("cannot create", tmp);
    return false;
  }
  // fsync first, or a crash could leave the renamed file empty.
  bool ok = WriteAll(fd, contents) && fsync(fd) == 0;
  if (!ok)
    *err = Describe("cannot write", tmp);
  if (close(fd) != 0 && ok) {
    *err = Describe("cannot write", tmp);
    ok = false;
  }
  if (ok && rename(tmp.c_str(), path.c_str()) != 0) {
    *err = Describe("cannot replace", path);
    ok = false;
  }
  if (!ok)
    unlink(tmp.c_str());
  return ok;
}

}  // namespace standin
