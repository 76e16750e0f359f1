#include "btrieve/client_library.h"

#include <windows.h>

namespace {

std::string LastErrorText() {
  DWORD error = GetLastError();
  char* text = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string reason = length ? std::string(text, length)
                              : "error " + std::to_string(error);
  LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                             reason.back() == ' ' || reason.back() == '.'))
    reason.pop_back();
  return reason;
}

}  // namespace

std::string DefaultClientLibraryName() { return "wbtrv32.dll"; }

BtrCallIdEntry* OpenClientLibrary(const std::string& name, std::string* reason) {
  // Kept loaded for the life of the process.
  HMODULE library = LoadLibraryA(name.c_str());
  if (!library) {
    *reason = LastErrorText();
    return nullptr;
  }
  FARPROC entry = GetProcAddress(library, "BTRCALLID");
  if (!entry) {
    *reason = LastErrorText();
    FreeLibrary(library);
    return nullptr;
  }
  return reinterpret_cast<BtrCallIdEntry*>(reinterpret_cast<void*>(entry));
}
