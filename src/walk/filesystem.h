// The directory operations the walk and the search run need.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

extern const char kSeparator;

// Position just past the directory part of a file specification (after its
// last separator, or on Windows its last colon), or 0 when it has none.
size_t DirectoryPartLength(const std::string& file_specification);

// `directory` resolved against the current directory, ending in a separator;
// empty, a directory never entered, when the current directory is unknown.
std::string AbsoluteDirectory(const std::string& directory);

bool ReadCurrentDirectory(std::string* directory);
bool ChangeDirectory(const std::string& directory);

struct DirEntry {
  std::string name;
  bool is_directory = false;
  // A link or junction to a directory: never entered.
  bool is_directory_link = false;
  uint64_t size = 0;
};

// The two listings of one directory: the entries that match a pattern, then
// every entry ("*.*" on Windows). Where the platform allows it they share
// one read of the directory.
struct ListingState;
struct ListingCloser {
  void operator()(ListingState* state) const;
};
using Listing = std::unique_ptr<ListingState, ListingCloser>;

// Starts the listings of the current directory. Null when the directory
// cannot be read at all; then neither listing has an entry.
Listing OpenListing(const std::string& pattern);

// The next entry that matches the pattern, in listing order. False at the
// end, when nothing matches, or when the listing fails part-way.
bool NextMatch(ListingState* listing, DirEntry* entry);

// The next directory among all entries, in listing order, once NextMatch has
// returned false; `*others` gets the number of other entries listed before
// it, or when it returns false, after the last directory.
bool NextDirectory(ListingState* listing, DirEntry* entry, size_t* others);

// Whether the POSIX listing takes `name` for `pattern`: fnmatch, except that
// "*.*" takes every name. (The Windows listing matches by itself.)
bool MatchesPattern(const std::string& pattern, const char* name);
