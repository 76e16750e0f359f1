#include "host.h"

#include <stdlib.h>
#include <windows.h>

BtrCallFunction LoadEntry(const std::string& library, std::string* err) {
  HMODULE module = LoadLibraryA(library.c_str());
  FARPROC entry = module ? GetProcAddress(module, "BTRCALLID") : nullptr;
  if (!entry)
    *err = "cannot load BTRCALLID from " + library + ": error " +
           std::to_string(GetLastError());
  // Through void(*)(), which every function pointer type converts from.
  return reinterpret_cast<BtrCallFunction>(
      reinterpret_cast<void (*)()>(entry));
}

void SetEnv(const std::string& name, const std::string& value) {
  _putenv_s(name.c_str(), value.c_str());
}

void UnsetEnv(const std::string& name) {
  _putenv_s(name.c_str(), "");
}
