#include "walk/filesystem.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

const char kSeparator = '/';

size_t DirectoryPartLength(const std::string& file_specification) {
  size_t slash = file_specification.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

std::string AbsoluteDirectory(const std::string& directory) {
  std::string absolute;
  if (directory.empty() || directory[0] != '/') {
    ReadCurrentDirectory(&absolute);
    if (absolute.empty() || absolute.back() != '/')
      absolute += '/';
  }
  absolute += directory;
  if (absolute.back() != '/')
    absolute += '/';
  return absolute;
}

bool ReadCurrentDirectory(std::string* directory) {
  std::vector<char> buffer(256);
  while (!getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE)
      return false;
    buffer.resize(buffer.size() * 2);
  }
  *directory = buffer.data();
  return true;
}

bool ChangeDirectory(const std::string& directory) {
  return chdir(directory.c_str()) == 0;
}

struct ListingState {
  DIR* dir;
  std::string pattern;
  bool match_all;
};

void ListingCloser::operator()(ListingState* state) const {
  closedir(state->dir);
  delete state;
}

namespace {

// Fills the kind and size of a matching entry. A link to a file counts as
// that file; a link to a directory is marked so it is never entered.
void Describe(ListingState* listing, const dirent* found, DirEntry* entry) {
  entry->name = found->d_name;
  entry->is_directory = false;
  entry->is_directory_link = false;
  entry->size = 0;
  if (found->d_type == DT_DIR) {
    entry->is_directory = true;
    return;
  }
  struct stat info;
  if (fstatat(dirfd(listing->dir), found->d_name, &info, 0) != 0)
    return;  // Vanished, or a dangling link: a file of no size.
  if (S_ISDIR(info.st_mode)) {
    entry->is_directory = true;
    entry->is_directory_link = found->d_type == DT_LNK ||
        (found->d_type == DT_UNKNOWN &&
         fstatat(dirfd(listing->dir), found->d_name, &info,
                 AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISLNK(info.st_mode));
    return;
  }
  entry->size = static_cast<uint64_t>(info.st_size);
}

}  // namespace

bool MatchesPattern(const std::string& pattern, const char* name) {
  return pattern == "*.*" || fnmatch(pattern.c_str(), name, 0) == 0;
}

bool NextEntry(ListingState* listing, DirEntry* entry) {
  while (const dirent* found = readdir(listing->dir)) {
    if (listing->match_all || MatchesPattern(listing->pattern, found->d_name)) {
      Describe(listing, found, entry);
      return true;
    }
  }
  return false;
}

Listing OpenListing(const std::string& pattern, DirEntry* entry) {
  DIR* dir = opendir(".");
  if (!dir)
    return nullptr;
  // "*.*" lists every entry, as on Windows, not only names with a dot.
  Listing listing(new ListingState{dir, pattern, pattern == "*.*"});
  if (!NextEntry(listing.get(), entry))
    return nullptr;
  return listing;
}
