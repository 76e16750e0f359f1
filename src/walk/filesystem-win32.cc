#include "walk/filesystem.h"

#include <windows.h>

#include <vector>

const char kSeparator = '\\';

size_t DirectoryPartLength(const std::string& file_specification) {
  size_t end = file_specification.rfind('\\');
  if (end == std::string::npos)
    end = file_specification.rfind(':');
  return end == std::string::npos ? 0 : end + 1;
}

std::string AbsoluteDirectory(const std::string& directory) {
  // Also resolves a drive-relative "C:" to that drive's current directory.
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    DWORD length = GetFullPathNameA(directory.c_str(),
                                    static_cast<DWORD>(buffer.size()),
                                    buffer.data(), nullptr);
    if (length == 0) {
      buffer.assign(directory.begin(), directory.end());
      break;
    }
    if (length < buffer.size()) {
      buffer.resize(length);
      break;
    }
    buffer.resize(length);
  }
  std::string absolute(buffer.begin(), buffer.end());
  if (absolute.empty() || absolute.back() != '\\')
    absolute += '\\';
  return absolute;
}

bool ReadCurrentDirectory(std::string* directory) {
  DWORD size = GetCurrentDirectoryA(0, nullptr);
  if (size == 0)
    return false;
  std::vector<char> buffer(size);
  DWORD length = GetCurrentDirectoryA(size, buffer.data());
  if (length == 0 || length >= size)
    return false;
  directory->assign(buffer.data(), length);
  return true;
}

bool ChangeDirectory(const std::string& directory) {
  return SetCurrentDirectoryA(directory.c_str()) != 0;
}

namespace {

// One find over a pattern, started on first use and closed at its end.
struct Find {
  HANDLE handle = INVALID_HANDLE_VALUE;
  bool started = false;
};

bool NextFound(const char* pattern, Find* find, WIN32_FIND_DATAA* found) {
  if (!find->started) {
    find->started = true;
    find->handle = FindFirstFileA(pattern, found);
    return find->handle != INVALID_HANDLE_VALUE;
  }
  if (find->handle == INVALID_HANDLE_VALUE)
    return false;
  if (FindNextFileA(find->handle, found))
    return true;
  FindClose(find->handle);
  find->handle = INVALID_HANDLE_VALUE;
  return false;
}

void Close(Find* find) {
  if (find->handle != INVALID_HANDLE_VALUE)
    FindClose(find->handle);
  find->handle = INVALID_HANDLE_VALUE;
}

void Describe(const WIN32_FIND_DATAA& found, DirEntry* entry) {
  entry->name = found.cFileName;
  entry->is_directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  entry->is_directory_link = entry->is_directory &&
      (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  entry->size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) |
                found.nFileSizeLow;
}

}  // namespace

// The system matches the pattern itself (short names included), so the two
// listings are two finds.
struct ListingState {
  std::string pattern;
  Find matches;
  Find all;
};

void ListingCloser::operator()(ListingState* state) const {
  Close(&state->matches);
  Close(&state->all);
  delete state;
}

Listing OpenListing(const std::string& pattern) {
  return Listing(new ListingState{pattern, {}, {}});
}

bool NextMatch(ListingState* listing, DirEntry* entry) {
  WIN32_FIND_DATAA found;
  if (!NextFound(listing->pattern.c_str(), &listing->matches, &found))
    return false;
  Describe(found, entry);
  return true;
}

bool NextDirectory(ListingState* listing, DirEntry* entry, size_t* others) {
  Close(&listing->matches);
  *others = 0;
  WIN32_FIND_DATAA found;
  while (NextFound("*.*", &listing->all, &found)) {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      Describe(found, entry);
      return true;
    }
    ++*others;
  }
  return false;
}
