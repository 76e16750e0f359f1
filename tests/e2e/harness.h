// Runs the built program as a user would, against the stand-in engine, in
// a fresh temporary tree, and reads back what the engine was asked.
#ifndef HOLDFAST_TESTS_E2E_HARNESS_H_
#define HOLDFAST_TESTS_E2E_HARNESS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace e2e {

// The platform's path separator, as a character and as text.
extern const char kSep;
extern const std::string kSepText;

// Option leads the program accepts here ("-", and "/" on Windows).
extern const std::vector<std::string> kOptionLeads;

// What the program's text-mode streams make of `written`: on Windows each
// "\n" goes out as "\r\n".
std::string AsWritten(std::string_view written);

// A shared library that exists but exports no BTRCALLID.
std::string LibraryWithoutEntry();

// The built program and stand-in engine, beside the test binary.
std::string HoldfastPath();
std::string StandinPath();

// One engine call, as the stand-in journals it; byte fields unescaped.
struct Call {
  int op = -1;
  std::string position;  // hex
  std::string data;      // all `length` bytes of the data buffer
  uint32_t length = 0;
  std::string key;  // up to its first NUL
  int key_length = 0;
  int key_number = 0;
  std::string client;  // hex
  int status = 0;
  uint32_t returned_length = 0;
};

// The fixed client identity every call must carry.
extern const char kClientHex[];

std::vector<Call> ParseJournal(const std::string& text);

// The data buffer of a Begin for one file: the path and its NUL.
std::string BeginData(const std::string& path);

// The operation of each call, in order.
std::vector<int> Operations(const std::vector<Call>& calls);

// What each Begin (operation 42, key 0) named, up to its NUL, in order.
std::vector<std::string> BegunNames(const std::vector<Call>& calls);

struct Outcome {
  int exit_code = -1;
  std::string out;
  std::string err;
};

struct RunSettings {
  std::string cwd;     // empty: the sandbox root
  std::string faults;  // HOLDFAST_STANDIN_FAULTS
  // Overrides the stand-in's path in HOLDFAST_BTRIEVE_LIBRARY.
  std::string library;
  std::string stdin_text;
};

// A temporary root with its own engine state and journal, removed at the
// end. Paths given to it use "/" and are turned into the platform's.
class Sandbox {
 public:
  Sandbox();
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  const std::string& root() const { return root_; }
  // root + separator + relative, in the platform's separators.
  std::string Path(std::string_view relative) const;

  // A Btrieve-marked file of `size` bytes (sparse past the mark).
  void Btrieve(std::string_view relative, uint64_t size = 2048,
               bool needs_owner = false) const;
  // A file of `size` bytes that the engine does not take.
  void Plain(std::string_view relative, uint64_t size) const;
  void Directory(std::string_view relative) const;

  // The program's environment: engine, state and journal of this sandbox.
  std::vector<std::pair<std::string, std::string>> Environment(
      const RunSettings& settings = {}) const;

  Outcome Run(const std::vector<std::string>& args,
              const RunSettings& settings = {}) const;

  std::vector<Call> Journal() const;
  // Files the engine holds in continuous operation for the program.
  std::vector<std::string> Held() const;

  const std::string& journal_path() const { return journal_; }
  const std::string& state_path() const { return state_; }

 private:
  std::string base_;  // holds root_, state_ and journal_
  std::string root_;
  std::string state_;
  std::string journal_;
};

// The program's completion line for `count` files.
std::string Completion(int count);

// The program's two opening lines for `pattern`.
std::string Header(std::string_view pattern);

// `steps` turns of the spinner from its first position.
std::string Spinner(int steps, int first = 0);

// Standard error without the spinner's character-and-backspace pairs.
std::string Unspun(const std::string& text);

}  // namespace e2e

#endif  // HOLDFAST_TESTS_E2E_HARNESS_H_
