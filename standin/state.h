// Which client identity holds which files in continuous operation, kept in
// a text file so it outlives the process and can be read by a person.
#ifndef HOLDFAST_STANDIN_STATE_H_
#define HOLDFAST_STANDIN_STATE_H_

#include <functional>
#include <string>
#include <vector>

namespace standin {

struct Holding {
  std::string client;  // 32 lowercase hex digits
  std::string path;    // exactly as the caller named it
  bool operator==(const Holding&) const = default;
};
using Holdings = std::vector<Holding>;

// HOLDFAST_STANDIN_STATE, or a folder in the system temp directory.
std::string StateDirectory();

// Runs change on the saved holdings with the state locked against other
// processes, and saves what it leaves when change returns kOk. Returns
// change's status, or kIoError when the state cannot be read or written.
int UpdateState(const std::function<int(Holdings&)>& change);

std::string FormatState(const Holdings& holdings);
// False on a line it does not understand.
bool ParseState(const std::string& text, Holdings* holdings, size_t* bad_line);

}  // namespace standin

#endif  // HOLDFAST_STANDIN_STATE_H_
