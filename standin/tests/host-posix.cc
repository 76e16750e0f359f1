#include "host.h"

#include <dlfcn.h>
#include <stdlib.h>

BtrCallFunction LoadEntry(const std::string& library, std::string* err) {
  void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  void* entry = handle ? dlsym(handle, "BTRCALLID") : nullptr;
  if (!entry)
    *err = dlerror();
  return reinterpret_cast<BtrCallFunction>(entry);
}

void SetEnv(const std::string& name, const std::string& value) {
  setenv(name.c_str(), value.c_str(), 1);
}

void UnsetEnv(const std::string& name) {
  unsetenv(name.c_str());
}
