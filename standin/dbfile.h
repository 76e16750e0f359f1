// Tells database files from other files by their first bytes.
#ifndef HOLDFAST_STANDIN_DBFILE_H_
#define HOLDFAST_STANDIN_DBFILE_H_

#include <string>

namespace standin {

enum class FileKind {
  kMissing,
  kOther,  // exists but is unreadable or not a database file
  kDatabase,
  kOwnerDatabase,  // a database file that needs an owner name to open
};

FileKind ClassifyFile(const std::string& path);

}  // namespace standin

#endif  // HOLDFAST_STANDIN_DBFILE_H_
