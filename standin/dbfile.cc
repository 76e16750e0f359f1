#include "dbfile.h"

#include <cerrno>
#include <cstdio>
#include <string_view>

namespace standin {

namespace {

constexpr std::string_view kPlainMark = "STANDIN-BTRIEVE\n";
constexpr std::string_view kOwnerMark = "STANDIN-BTRIEVE OWNER\n";

}  // namespace

FileKind ClassifyFile(const std::string& path) {
  errno = 0;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    // A name the system cannot hold (Windows says EINVAL) names no file.
    bool missing = errno == ENOENT || errno == ENOTDIR || errno == EINVAL ||
                   errno == ENAMETOOLONG;
    return missing ? FileKind::kMissing : FileKind::kOther;
  }
  char head[kOwnerMark.size()];
  size_t n = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  std::string_view got(head, n);
  if (got.starts_with(kOwnerMark))
    return FileKind::kOwnerDatabase;
  if (got.starts_with(kPlainMark))
    return FileKind::kDatabase;
  return FileKind::kOther;
}

}  // namespace standin
