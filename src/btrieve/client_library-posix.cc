#include "btrieve/client_library.h"

#include <dlfcn.h>

std::string DefaultClientLibraryName() {
  return HOLDFAST_DEFAULT_BTRIEVE_LIBRARY;
}

BtrCallIdEntry* OpenClientLibrary(const std::string& name, std::string* reason) {
  // Kept open for the life of the process.
  void* library = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    *reason = dlerror();
    return nullptr;
  }
  void* entry = dlsym(library, "BTRCALLID");
  if (!entry) {
    *reason = dlerror();
    dlclose(library);
    return nullptr;
  }
  return reinterpret_cast<BtrCallIdEntry*>(entry);
}
