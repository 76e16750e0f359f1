#include "harness.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/process.h"

namespace fs = std::filesystem;

namespace e2e {

const char kClientHex[] = "0000000000000000000000004242b007";

namespace {

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  return -1;
}

// Undoes the journal's \xHH escapes.
std::string Unescape(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
        HexValue(text[i + 2]) >= 0 && HexValue(text[i + 3]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 2]) * 16 +
                               HexValue(text[i + 3]));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

Call ParseLine(std::string_view line) {
  Call call;
  size_t start = 0;
  while (start <= line.size()) {
    size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos)
      tab = line.size();
    std::string_view field = line.substr(start, tab - start);
    start = tab + 1;
    size_t eq = field.find('=');
    if (eq == std::string_view::npos)
      throw std::runtime_error("journal field without '=': " +
                               std::string(line));
    std::string_view name = field.substr(0, eq);
    std::string value(field.substr(eq + 1));
    if (name == "op")
      call.op = std::stoi(value);
    else if (name == "pos")
      call.position = value;
    else if (name == "data")
      call.data = Unescape(value);
    else if (name == "len")
      call.length = static_cast<uint32_t>(std::stoul(value));
    else if (name == "key")
      call.key = Unescape(value);
    else if (name == "keylen")
      call.key_length = std::stoi(value);
    else if (name == "keynum")
      call.key_number = std::stoi(value);
    else if (name == "client")
      call.client = value;
    else if (name == "status")
      call.status = std::stoi(value);
    else if (name == "retlen")
      call.returned_length = static_cast<uint32_t>(std::stoul(value));
  }
  return call;
}

std::string Native(std::string_view relative) {
  std::string out(relative);
  for (char& c : out) {
    if (c == '/')
      c = kSep;
  }
  return out;
}

}  // namespace

const std::string kSepText(1, kSep);

std::string HoldfastPath() {
  return (fs::path(ExecutableDirectory()) / HOLDFAST_PROGRAM_FILE).string();
}

std::string StandinPath() {
  return (fs::path(ExecutableDirectory()) / HOLDFAST_STANDIN_FILE).string();
}

std::vector<Call> ParseJournal(const std::string& text) {
  std::vector<Call> calls;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    if (end > start)
      calls.push_back(ParseLine(std::string_view(text).substr(start, end - start)));
    start = end + 1;
  }
  return calls;
}

std::string BeginData(const std::string& path) {
  return path + std::string(1, '\0');
}

std::vector<int> Operations(const std::vector<Call>& calls) {
  std::vector<int> ops;
  for (const Call& call : calls)
    ops.push_back(call.op);
  return ops;
}

std::vector<std::string> BegunNames(const std::vector<Call>& calls) {
  std::vector<std::string> names;
  for (const Call& call : calls) {
    if (call.op == 42 && call.key_number == 0)
      names.push_back(call.data.substr(0, call.data.find('\0')));
  }
  return names;
}

Sandbox::Sandbox() {
  base_ = MakeTempDirectory();
  root_ = (fs::path(base_) / "tree").string();
  state_ = (fs::path(base_) / "state").string();
  journal_ = (fs::path(base_) / "journal.txt").string();
  fs::create_directories(root_);
}

Sandbox::~Sandbox() {
  std::error_code ignored;
  fs::remove_all(base_, ignored);
}

std::string Sandbox::Path(std::string_view relative) const {
  if (relative.empty())
    return root_;
  return root_ + kSep + Native(relative);
}

void Sandbox::Btrieve(std::string_view relative, uint64_t size,
                      bool needs_owner) const {
  std::string mark = needs_owner ? "STANDIN-BTRIEVE OWNER\n" : "STANDIN-BTRIEVE\n";
  std::string path = Path(relative);
  fs::create_directories(fs::path(path).parent_path());
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(mark.data(), static_cast<std::streamsize>(
                               std::min<uint64_t>(mark.size(), size)));
  }
  fs::resize_file(path, size);
}

void Sandbox::Plain(std::string_view relative, uint64_t size) const {
  std::string path = Path(relative);
  fs::create_directories(fs::path(path).parent_path());
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "plain";
  }
  fs::resize_file(path, size);
}

void Sandbox::Directory(std::string_view relative) const {
  fs::create_directories(Path(relative));
}

std::vector<std::pair<std::string, std::string>> Sandbox::Environment(
    const RunSettings& settings) const {
  return {
      {"HOLDFAST_BTRIEVE_LIBRARY",
       settings.library.empty() ? StandinPath() : settings.library},
      {"HOLDFAST_STANDIN_STATE", state_},
      {"HOLDFAST_STANDIN_JOURNAL", journal_},
      {"HOLDFAST_STANDIN_FAULTS", settings.faults},
  };
}

Outcome Sandbox::Run(const std::vector<std::string>& args,
                     const RunSettings& settings) const {
  ProcessRequest request;
  request.program = HoldfastPath();
  request.args = args;
  request.env = Environment(settings);
  request.cwd = settings.cwd.empty() ? root_ : settings.cwd;
  request.stdin_text = settings.stdin_text;
  ProcessResult result = RunProcess(request);
  return {result.exit_status, result.out, result.err};
}

std::vector<Call> Sandbox::Journal() const {
  return ParseJournal(ReadWhole(journal_));
}

namespace {

// The state file writes "%", LF and CR in a path as %25, %0a and %0d.
std::string DecodeHeldPath(const std::string& stored) {
  std::string path;
  for (size_t i = 0; i < stored.size(); ++i) {
    if (stored[i] == '%' && i + 2 < stored.size()) {
      path += static_cast<char>(std::stoi(stored.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      path += stored[i];
    }
  }
  return path;
}

}  // namespace

std::vector<std::string> Sandbox::Held() const {
  std::string text = ReadWhole((fs::path(state_) / "continuous.txt").string());
  std::vector<std::string> paths;
  std::istringstream lines(text);
  std::string line;
  std::string prefix = std::string(kClientHex) + "\t";
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (line.starts_with(prefix))
      paths.push_back(DecodeHeldPath(line.substr(prefix.size())));
  }
  return paths;
}

std::string Completion(int count) {
  return "\nHOLDFAST Complete for " + std::to_string(count) + " File" +
         (count == 1 ? "." : "s.") + "\n";
}

std::string Header(std::string_view pattern) {
  return "Searching for <" + std::string(pattern) +
         ">...\nPress <Esc> to terminate HOLDFAST.\n";
}

std::string Spinner(int steps, int first) {
  static const char kTurns[] = "-\\|/";
  std::string out;
  for (int i = 0; i < steps; ++i) {
    out += kTurns[(first + i) % 4];
    out += '\b';
  }
  return out;
}

std::string Unspun(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i + 1 < text.size() && text[i + 1] == '\b')
      ++i;
    else
      out += text[i];
  }
  return out;
}

}  // namespace e2e
