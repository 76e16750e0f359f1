#include "support/process.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>

struct RunningProcess {
  HANDLE process = nullptr;
  HANDLE out = INVALID_HANDLE_VALUE;
  HANDLE err = INVALID_HANDLE_VALUE;
  std::string failure;  // why it could not be started
};

namespace {

std::string LastError(const std::string& what) {
  return what + ": error " + std::to_string(GetLastError());
}

std::string TempRoot() {
  char buf[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof buf, buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : ".\\";
}

// Inheritable, and deleted once the last handle, the child's too, closes.
HANDLE AnonymousFile() {
  char name[MAX_PATH + 1];
  if (!GetTempFileNameA(TempRoot().c_str(), "hfp", 0, name))
    return INVALID_HANDLE_VALUE;
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  return CreateFileA(name, GENERIC_READ | GENERIC_WRITE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     &sa, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                     nullptr);
}

bool WriteAll(HANDLE h, const std::string& s) {
  size_t done = 0;
  while (done < s.size()) {
    DWORD n = 0;
    if (!WriteFile(h, s.data() + done, static_cast<DWORD>(s.size() - done), &n,
                   nullptr) ||
        n == 0)
      return false;
    done += n;
  }
  return true;
}

bool Rewind(HANDLE h) {
  return SetFilePointer(h, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
}

std::string ReadAll(HANDLE h) {
  std::string out;
  if (h == INVALID_HANDLE_VALUE || !Rewind(h))
    return out;
  char buf[65536];
  DWORD n = 0;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0)
    out.append(buf, n);
  return out;
}

void CloseIfOpen(HANDLE h) {
  if (h != INVALID_HANDLE_VALUE && h != nullptr)
    CloseHandle(h);
}

// How the MSVC runtime splits a command line, run backwards: backslashes
// are literal except before a quote, where they and the quote are escaped.
std::string QuoteArgument(const std::string& arg) {
  // Wildcards are quoted too, or a runtime that expands them would.
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"*?") == std::string::npos)
    return arg;
  std::string out = "\"";
  for (size_t i = 0;; ++i) {
    size_t backslashes = 0;
    while (i < arg.size() && arg[i] == '\\') {
      ++i;
      ++backslashes;
    }
    if (i == arg.size()) {
      out.append(backslashes * 2, '\\');
      break;
    }
    if (arg[i] == '"') {
      out.append(backslashes * 2 + 1, '\\');
    } else {
      out.append(backslashes, '\\');
    }
    out += arg[i];
  }
  return out + "\"";
}

std::string Lower(std::string s) {
  for (char& c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Names are compared without case, as Windows does. Entries such as
// "=C:=C:\dir" keep their leading '='.
std::string EnvName(const std::string& entry) {
  return Lower(entry.substr(0, entry.find('=', 1)));
}

std::string EnvironmentBlock(const ProcessRequest& run) {
  std::vector<std::string> entries;
  if (char* block = GetEnvironmentStringsA()) {
    for (const char* e = block; *e; e += strlen(e) + 1) {
      std::string entry = e;
      std::string name = EnvName(entry);
      bool drop = false;
      for (const std::string& u : run.unset_env)
        drop = drop || Lower(u) == name;
      for (const auto& [n, v] : run.env)
        drop = drop || Lower(n) == name;
      if (!drop)
        entries.push_back(entry);
    }
    FreeEnvironmentStringsA(block);
  }
  for (const auto& [n, v] : run.env)
    entries.push_back(n + "=" + v);
  std::stable_sort(entries.begin(), entries.end(),
                   [](const std::string& a, const std::string& b) {
                     return EnvName(a) < EnvName(b);
                   });
  std::string out;
  for (const std::string& e : entries)
    out += e + '\0';
  if (out.empty())
    out += '\0';
  return out + '\0';
}

}  // namespace

RunningProcess* StartProcess(const ProcessRequest& run) {
  auto* p = new RunningProcess;
  HANDLE in = AnonymousFile();
  p->out = AnonymousFile();
  p->err = AnonymousFile();
  if (in == INVALID_HANDLE_VALUE || p->out == INVALID_HANDLE_VALUE ||
      p->err == INVALID_HANDLE_VALUE || !WriteAll(in, run.stdin_text) ||
      !Rewind(in)) {
    p->failure = LastError("cannot make temporary files");
    CloseIfOpen(in);
    return p;
  }

  // Only these three handles go to the child, so children started side by
  // side do not hold each other's files.
  HANDLE inherit[3] = {in, p->out, p->err};
  SIZE_T size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::vector<char> storage(size);
  auto* attrs =
      reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
  if (!InitializeProcThreadAttributeList(attrs, 1, 0, &size) ||
      !UpdateProcThreadAttribute(attrs, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                 inherit, sizeof inherit, nullptr, nullptr)) {
    p->failure = LastError("cannot set up handle inheritance");
    CloseIfOpen(in);
    return p;
  }

  STARTUPINFOEXA si = {};
  si.StartupInfo.cb = sizeof si;
  si.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  si.StartupInfo.hStdInput = in;
  si.StartupInfo.hStdOutput = p->out;
  si.StartupInfo.hStdError = p->err;
  si.lpAttributeList = attrs;

  // The program name is only quoted: its own parsing has no escapes.
  std::string command = "\"" + run.program + "\"";
  for (const std::string& a : run.args)
    command += " " + QuoteArgument(a);
  std::string env = EnvironmentBlock(run);
  PROCESS_INFORMATION pi = {};
  if (CreateProcessA(run.program.c_str(), command.data(), nullptr, nullptr,
                     TRUE, EXTENDED_STARTUPINFO_PRESENT, env.data(),
                     run.cwd.empty() ? nullptr : run.cwd.c_str(),
                     &si.StartupInfo, &pi)) {
    CloseHandle(pi.hThread);
    p->process = pi.hProcess;
  } else {
    p->failure = LastError("cannot run " + run.program);
  }
  DeleteProcThreadAttributeList(attrs);
  CloseHandle(in);
  return p;
}

ProcessResult WaitProcess(RunningProcess* p) {
  ProcessResult result;
  if (p->process) {
    DWORD code = 0;
    WaitForSingleObject(p->process, INFINITE);
    if (GetExitCodeProcess(p->process, &code))
      result.exit_status = static_cast<int>(code);
    CloseHandle(p->process);
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
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, path.data(),
                                 static_cast<DWORD>(path.size()));
    if (n == 0)
      return ".\\";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of("\\/") + 1);
}

std::string MakeTempDirectory() {
  static unsigned counter = 0;
  char full[MAX_PATH + 1];
  std::string root = TempRoot();
  if (GetFullPathNameA(root.c_str(), sizeof full, full, nullptr))
    root = full;
  while (!root.empty() && (root.back() == '\\' || root.back() == '/'))
    root.pop_back();
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::string name = root + "\\holdfast-test-" +
                       std::to_string(GetCurrentProcessId()) + "-" +
                       std::to_string(GetTickCount()) + "-" +
                       std::to_string(++counter);
    if (CreateDirectoryA(name.c_str(), nullptr))
      return name;
    if (GetLastError() != ERROR_ALREADY_EXISTS)
      break;
  }
  return std::string();
}
