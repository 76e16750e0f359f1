// What differs between POSIX and Windows for the stand-in.
#ifndef HOLDFAST_STANDIN_PLATFORM_H_
#define HOLDFAST_STANDIN_PLATFORM_H_

#include <string>

namespace standin {

extern const char kPathSeparator;

// A variable of the process environment as it is now, whichever C runtime
// set it; unset and empty both read as empty.
std::string Environment(const char* name);

// The system's folder for temporary files, without a trailing separator.
std::string TempDirectory();

// Creates path and any missing parents.
bool MakeDirectories(const std::string& path, std::string* err);

// An exclusive lock on a file, waited for; other processes block on it.
struct StateLock;
StateLock* LockExclusive(const std::string& path, std::string* err);
void Unlock(StateLock* lock);

// Replaces path with contents so readers see the old or the new file whole.
bool ReplaceAtomically(const std::string& path, const std::string& contents,
                       std::string* err);

}  // namespace standin

#endif  // HOLDFAST_STANDIN_PLATFORM_H_
