#include "engine.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "dbfile.h"
#include "state.h"
#include "status.h"

namespace standin {

namespace {

// An open file's position block starts with this, then its name.
constexpr char kOpenMark[] = "HFSIOPEN";
constexpr size_t kOpenMarkSize = sizeof kOpenMark - 1;

int StatusOf(FileKind kind) {
  switch (kind) {
    case FileKind::kMissing:
      return kMissing;
    case FileKind::kOther:
      return kNotDatabaseFile;
    case FileKind::kOwnerDatabase:
      return kOwnerNeeded;
    case FileKind::kDatabase:
      return kOk;
  }
  return kNotDatabaseFile;
}

int Open(Call& call) {
  std::string name = call.Key();
  if (name.empty())
    return kBadName;
  if (!call.pos)
    return kBadOperation;
  int status = StatusOf(ClassifyFile(name));
  if (status != kOk)
    return status;
  std::memset(call.pos, 0, kPositionBlockSize);
  std::memcpy(call.pos, kOpenMark, kOpenMarkSize);
  size_t room = kPositionBlockSize - kOpenMarkSize - 1;
  std::memcpy(call.pos + kOpenMarkSize, name.data(),
              std::min(name.size(), room));
  return kOk;
}

int Close(Call& call) {
  if (!call.pos || std::memcmp(call.pos, kOpenMark, kOpenMarkSize) != 0)
    return kNotOpen;
  std::memset(call.pos, 0, kPositionBlockSize);
  return kOk;
}

// Names in a begin call: a comma-separated list, ending at the first NUL.
bool SplitNames(const std::string& data, std::vector<std::string>* names) {
  std::string list = data.substr(0, data.find('\0'));
  size_t start = 0;
  for (;;) {
    size_t comma = list.find(',', start);
    std::string name = list.substr(start, comma - start);
    if (name.empty())
      return false;
    names->push_back(name);
    if (comma == std::string::npos)
      return true;
    start = comma + 1;
  }
}

int Begin(const Call& call) {
  std::vector<std::string> names;
  if (!SplitNames(call.Data(), &names))
    return kBadName;
  std::string client = call.ClientHex();
  return UpdateState([&](Holdings& holdings) {
    // Every name is checked before any is added: all or none.
    for (const std::string& name : names) {
      FileKind kind = ClassifyFile(name);
      if (kind == FileKind::kMissing)
        return int{kMissing};
      if (kind == FileKind::kOther)
        return int{kNotDatabaseFile};
      for (const Holding& h : holdings) {
        if (h.path == name && h.client != client)
          return int{kHeldByOther};
      }
    }
    for (const std::string& name : names) {
      Holding mine{client, name};
      if (std::find(holdings.begin(), holdings.end(), mine) == holdings.end())
        holdings.push_back(mine);
    }
    return int{kOk};
  });
}

int End(const Call& call) {
  std::string client = call.ClientHex();
  return UpdateState([&](Holdings& holdings) {
    std::erase_if(holdings,
                  [&](const Holding& h) { return h.client == client; });
    return int{kOk};
  });
}

}  // namespace

int Perform(Call& call) {
  switch (call.op) {
    case kOpen:
      return Open(call);
    case kClose:
      return Close(call);
    case kReset:
      return kOk;
    case kContinuous:
      if (call.keynum == 0)
        return Begin(call);
      if (call.keynum == 1)
        return End(call);
      return kBadKeyNumber;
  }
  return kBadOperation;
}

}  // namespace standin
