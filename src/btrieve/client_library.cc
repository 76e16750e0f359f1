#include "btrieve/client_library.h"

#include <cstdio>
#include <cstdlib>

#include "btrieve/btrieve.h"

bool LoadClientLibrary() {
  const char* named = std::getenv("HOLDFAST_BTRIEVE_LIBRARY");
  std::string name = named && *named ? named : DefaultClientLibraryName();
  std::string reason;
  if (name.empty())
    reason = "no library named: set HOLDFAST_BTRIEVE_LIBRARY";
  else
    btrieve_entry = OpenClientLibrary(name, &reason);
  if (!btrieve_entry) {
    std::fprintf(stderr, "Unable to load the Btrieve client library <%s>: %s\n",
                 name.c_str(), reason.c_str());
    return false;
  }
  return true;
}
