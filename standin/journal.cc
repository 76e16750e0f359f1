#include "journal.h"

#include <cstdio>
#include "complain.h"
#include "platform.h"

namespace standin {

std::string EscapeBytes(std::string_view bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (char ch : bytes) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c <= 0x7e && c != '\\') {
      out += ch;
    } else {
      out += "\\x";
      out += digits[c >> 4];
      out += digits[c & 15];
    }
  }
  return out;
}

std::string JournalFields(const Call& call) {
  std::string out = "op=" + std::to_string(call.op);
  out += "\tpos=";
  if (call.pos)
    out += Hex(call.pos, kPositionBlockSize);
  out += "\tdata=" + EscapeBytes(call.Data());
  out += "\tlen=" + std::to_string(call.Length());
  out += "\tkey=" + EscapeBytes(call.Key());
  out += "\tkeylen=" + std::to_string(call.keylen);
  out += "\tkeynum=" + std::to_string(call.keynum);
  out += "\tclient=" + call.ClientHex();
  return out;
}

void WriteJournal(const std::string& fields, int status, uint32_t retlen) {
  std::string path = Environment("HOLDFAST_STANDIN_JOURNAL");
  if (path.empty())
    return;
  std::string line = fields + "\tstatus=" + std::to_string(status) +
                     "\tretlen=" + std::to_string(retlen) + "\n";
  // Opened per call so a line is on disk before the caller goes on.
  FILE* f = std::fopen(path.c_str(), "ab");
  bool ok = f && std::fwrite(line.data(), 1, line.size(), f) == line.size();
  if (f && std::fclose(f) != 0)
    ok = false;
  if (!ok)
    Complain("cannot append to journal " + path);
}

}  // namespace standin
