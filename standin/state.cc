#include "state.h"

#include <cerrno>
#include <cstdio>
#include <string_view>

#include "complain.h"
#include "platform.h"
#include "status.h"

namespace standin {

namespace {

constexpr char kStateName[] = "continuous.txt";
constexpr char kLockName[] = "continuous.lock";
constexpr size_t kClientHexSize = 32;

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// Only what would break the one-line-per-file layout is encoded, so
// Windows paths stay readable.
std::string EncodePath(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == '%')
      out += "%25";
    else if (c == '\n')
      out += "%0a";
    else if (c == '\r')
      out += "%0d";
    else
      out += c;
  }
  return out;
}

bool DecodePath(std::string_view text, std::string* path) {
  path->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      *path += text[i];
      continue;
    }
    if (i + 2 >= text.size())
      return false;
    int hi = HexValue(text[i + 1]), lo = HexValue(text[i + 2]);
    if (hi < 0 || lo < 0)
      return false;
    *path += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return !path->empty();
}

bool IsClientHex(std::string_view s) {
  if (s.size() != kClientHexSize)
    return false;
  for (char c : s) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
      return false;
  }
  return true;
}

// A missing file reads as empty: nothing has been begun yet.
bool ReadState(const std::string& path, std::string* text, std::string* err) {
  text->clear();
  errno = 0;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    if (errno == ENOENT)
      return true;
    *err = "cannot read " + path;
    return false;
  }
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
    text->append(buf, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  if (!ok)
    *err = "cannot read " + path;
  return ok;
}

}  // namespace

std::string StateDirectory() {
  std::string dir = Environment("HOLDFAST_STANDIN_STATE");
  if (!dir.empty())
    return dir;
  return TempDirectory() + kPathSeparator + "holdfast-standin";
}

std::string FormatState(const Holdings& holdings) {
  std::string out;
  for (const Holding& h : holdings)
    out += h.client + "\t" + EncodePath(h.path) + "\n";
  return out;
}

bool ParseState(const std::string& text, Holdings* holdings,
                size_t* bad_line) {
  holdings->clear();
  size_t line_no = 0;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    std::string_view line(text.data() + start, end - start);
    start = end + 1;
    ++line_no;
    // Tolerates a line ending added by a Windows editor.
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    if (line.empty())
      continue;
    size_t tab = line.find('\t');
    Holding h;
    if (tab == std::string_view::npos || !IsClientHex(line.substr(0, tab)) ||
        !DecodePath(line.substr(tab + 1), &h.path)) {
      *bad_line = line_no;
      return false;
    }
    h.client = std::string(line.substr(0, tab));
    holdings->push_back(std::move(h));
  }
  return true;
}

int UpdateState(const std::function<int(Holdings&)>& change) {
  std::string dir = StateDirectory();
  std::string err;
  if (!MakeDirectories(dir, &err)) {
    Complain(err);
    return kIoError;
  }
  StateLock* lock = LockExclusive(dir + kPathSeparator + kLockName, &err);
  if (!lock) {
    Complain(err);
    return kIoError;
  }
  std::string path = dir + kPathSeparator + kStateName;
  std::string text;
  Holdings holdings;
  size_t bad_line = 0;
  int status = kOk;
  if (!ReadState(path, &text, &err)) {
    Complain(err);
    status = kIoError;
  } else if (!ParseState(text, &holdings, &bad_line)) {
    Complain(path + ":" + std::to_string(bad_line) +
             ": not a client identity, a tab and a path");
    status = kIoError;
  } else {
    Holdings before = holdings;
    status = change(holdings);
    if (status == kOk && holdings != before &&
        !ReplaceAtomically(path, FormatState(holdings), &err)) {
      Complain(err);
      status = kIoError;
    }
  }
  Unlock(lock);
  return status;
}

}  // namespace standin
