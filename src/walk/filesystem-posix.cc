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
    // Resolved against "/" instead, "../" would name another tree.
    if (!ReadCurrentDirectory(&absolute))
      return std::string();
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

namespace {

// A directory of the listing, kept from the one read for the second listing.
struct Subdirectory {
  size_t others_before;
  std::string name;
  bool is_link;
};

}  // namespace

struct ListingState {
  DIR* dir;  // Null once read to its end.
  std::string pattern;
  bool match_all;
  std::vector<Subdirectory> directories;
  size_t others_after = 0;
  size_t next_directory = 0;
};

void ListingCloser::operator()(ListingState* state) const {
  if (state->dir)
    closedir(state->dir);
  delete state;
}

namespace {

// Fills the kind of an entry, and its size when asked. A link to a file
// counts as that file; a link to a directory is marked so it is never
// entered. Without the size, an entry whose kind the directory gives costs
// no stat.
void Describe(DIR* dir, const dirent* found, bool want_size, DirEntry* entry) {
  entry->is_directory = false;
  entry->is_directory_link = false;
  entry->size = 0;
  if (found->d_type == DT_DIR) {
    entry->is_directory = true;
    return;
  }
  if (!want_size && found->d_type != DT_LNK && found->d_type != DT_UNKNOWN)
    return;
  struct stat info;
  if (fstatat(dirfd(dir), found->d_name, &info, 0) != 0)
    return;  // Vanished, or a dangling link: a file of no size.
  if (S_ISDIR(info.st_mode)) {
    entry->is_directory = true;
    entry->is_directory_link = found->d_type == DT_LNK ||
        (found->d_type == DT_UNKNOWN &&
         fstatat(dirfd(dir), found->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISLNK(info.st_mode));
    return;
  }
  entry->size = static_cast<uint64_t>(info.st_size);
}

bool Matches(const ListingState* listing, const char* name) {
  return listing->match_all || MatchesPattern(listing->pattern, name);
}

void Remember(ListingState* listing, const char* name, const DirEntry& kind) {
  if (!kind.is_directory) {
    ++listing->others_after;
    return;
  }
  listing->directories.push_back(
      {listing->others_after, name, kind.is_directory_link});
  listing->others_after = 0;
}

}  // namespace

Listing OpenListing(const std::string& pattern) {
  DIR* dir = opendir(".");
  if (!dir)
    return nullptr;
  // "*.*" lists every entry, as on Windows, not only names with a dot.
  return Listing(new ListingState{dir, pattern, pattern == "*.*", {}});
}

bool NextMatch(ListingState* listing, DirEntry* entry) {
  DirEntry other;
  while (listing->dir) {
    // An error part-way ends the read like its end does.
    const dirent* found = readdir(listing->dir);
    if (!found) {
      closedir(listing->dir);
      listing->dir = nullptr;
      break;
    }
    if (Matches(listing, found->d_name)) {
      Describe(listing->dir, found, true, entry);
      entry->name = found->d_name;
      Remember(listing, found->d_name, *entry);
      return true;
    }
    Describe(listing->dir, found, false, &other);
    Remember(listing, found->d_name, other);
  }
  return false;
}

bool NextDirectory(ListingState* listing, DirEntry* entry, size_t* others) {
  DirEntry rest;
  while (NextMatch(listing, &rest)) {
  }
  if (listing->next_directory == listing->directories.size()) {
    *others = listing->others_after;
    listing->others_after = 0;
    return false;
  }
  Subdirectory& found = listing->directories[listing->next_directory++];
  *others = found.others_before;
  entry->name = std::move(found.name);
  entry->is_directory = true;
  entry->is_directory_link = found.is_link;
  entry->size = 0;
  return true;
}

bool MatchesPattern(const std::string& pattern, const char* name) {
  return pattern == "*.*" || fnmatch(pattern.c_str(), name, 0) == 0;
}
