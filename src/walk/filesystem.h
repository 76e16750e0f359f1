// The directory operations the walk and the search run need.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

extern const char kSeparator;

// Position just past the directory part of a file specification (after its
// last separator, or on Windows its last colon), or 0 when it has none.
size_t DirectoryPartLength(const std::string& file_specification);

// `directory` resolved against the current directory, ending in a separator.
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

struct ListingState;
struct ListingCloser {
  void operator()(ListingState* state) const;
};
using Listing = std::unique_ptr<ListingState, ListingCloser>;

// Lists the current directory's entries that match `pattern` ("*.*" lists
// every entry). Null when the listing cannot start: nothing matches or the
// directory cannot be read. `*entry` then holds the first entry.
Listing OpenListing(const std::string& pattern, DirEntry* entry);

// Whether the POSIX listing takes `name` for `pattern`: fnmatch, except that
// "*.*" takes every name. (The Windows listing matches by itself.)
bool MatchesPattern(const std::string& pattern, const char* name);

// False at the end of the listing, or when it fails part-way.
bool NextEntry(ListingState* listing, DirEntry* entry);
