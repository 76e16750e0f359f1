#include "platform.h"

#include <windows.h>

namespace standin {

const char kPathSeparator = '\\';

namespace {

std::string Describe(const char* what, const std::string& path) {
  return std::string(what) + " " + path + ": error " +
         std::to_string(GetLastError());
}

bool IsDirectory(const std::string& path) {
  DWORD attrs = GetFileAttributesA(path.c_str());
  return attrs != INVALID_FILE_ATTRIBUTES &&
         (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::string Environment(const char* name) {
  std::string value(256, '\0');
  for (;;) {
    DWORD n = GetEnvironmentVariableA(name, value.data(),
                                      static_cast<DWORD>(value.size()));
    if (n < value.size()) {
      value.resize(n);  // 0 when unset
      return value;
    }
    value.resize(n);
  }
}

std::string TempDirectory() {
  char buf[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof buf, buf);
  std::string out = n > 0 && n < sizeof buf ? std::string(buf, n) : ".";
  while (out.size() > 3 && (out.back() == '\\' || out.back() == '/'))
    out.pop_back();
  return out;
}

bool MakeDirectories(const std::string& path, std::string* err) {
  // Prefixes such as "C:" or "\\server" cannot be created; only the
  // outcome for the whole path matters.
  for (size_t i = 1; i < path.size(); ++i) {
    if (path[i] == '\\' || path[i] == '/') {
      std::string prefix = path.substr(0, i);
      if (!IsDirectory(prefix))
        CreateDirectoryA(prefix.c_str(), nullptr);
    }
  }
  if (IsDirectory(path) || CreateDirectoryA(path.c_str(), nullptr) ||
      IsDirectory(path))
    return true;
  *err = Describe("cannot create", path);
  return false;
}

struct StateLock {
  HANDLE file;
};

StateLock* LockExclusive(const std::string& path, std::string* err) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *err = Describe("cannot open", path);
    return nullptr;
  }
  OVERLAPPED ov = {};
  if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &ov)) {
    *err = Describe("cannot lock", path);
    CloseHandle(h);
    return nullptr;
  }
  return new StateLock{h};
}

void Unlock(StateLock* lock) {
  if (!lock)
    return;
  OVERLAPPED ov = {};
  UnlockFileEx(lock->file, 0, 1, 0, &ov);
  CloseHandle(lock->file);
  delete lock;
}

bool ReplaceAtomically(const std::string& path, const std::string& contents,
                       std::string* err) {
  std::string tmp = path + ".tmp";
  HANDLE h = CreateFileA(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *err = Describe("cannot create", tmp);
    return false;
  }
  bool ok = true;
  size_t done = 0;
  while (ok && done < contents.size()) {
    DWORD n = 0;
    ok = WriteFile(h, contents.data() + done,
                   static_cast<DWORD>(contents.size() - done), &n, nullptr) &&
         n > 0;
    done += n;
  }
  ok = ok && FlushFileBuffers(h);
  if (!ok)
    *err = Describe("cannot write", tmp);
  CloseHandle(h);
  // A reader outside the lock (a person's editor, a virus scanner) can hold
  // the old file open for a moment.
  for (int attempt = 0; ok; ++attempt) {
    if (MoveFileExA(tmp.c_str(), path.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      break;
    DWORD e = GetLastError();
    if (attempt >= 100 ||
        (e != ERROR_ACCESS_DENIED && e != ERROR_SHARING_VIOLATION)) {
      *err = Describe("cannot replace", path);
      ok = false;
    } else {
      Sleep(20);
    }
  }
  if (!ok)
    DeleteFileA(tmp.c_str());
  return ok;
}

}  // namespace standin
