#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host.h"
#include "support/process.h"

namespace {

namespace fs = std::filesystem;

using ClientId = std::array<uint8_t, 16>;

// The identity the program presents, and some other client's.
const ClientId kProgram = {0, 0, 0, 0, 0, 0, 0, 0,
                           0, 0, 0, 0, 'B', 'B', 0xB0, 0x07};
const ClientId kOther = {0, 0, 0, 0, 0, 0, 0, 0,
                         0, 0, 0, 0, 'O', 'T', 0x01, 0x02};

const std::string kDatabase = "STANDIN-BTRIEVE\n" + std::string(200, '\0');
const std::string kOwnerDatabase =
    "STANDIN-BTRIEVE OWNER\n" + std::string(200, '\0');

std::string HexOf(const ClientId& id) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (uint8_t b : id) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

BtrCallFunction Entry() {
  static BtrCallFunction entry = [] {
    std::string err;
    BtrCallFunction e =
        LoadEntry(ExecutableDirectory() + STANDIN_LIBRARY_NAME, &err);
    if (!e)
      ADD_FAILURE() << err;
    return e;
  }();
  return entry;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool AllZero(const uint8_t* p, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (p[i] != 0)
      return false;
  }
  return true;
}

// What a call left in the caller's hands.
struct Reply {
  int status;
  uint32_t len;
  std::string data;  // the whole data buffer afterwards
};

class StandinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeTempDirectory();
    ASSERT_FALSE(dir_.empty());
    state_dir_ = dir_ + "/state";
    journal_ = dir_ + "/journal.txt";
    SetEnv("HOLDFAST_STANDIN_STATE", state_dir_);
    SetEnv("HOLDFAST_STANDIN_JOURNAL", journal_);
    SetFaults("");
    ASSERT_NE(nullptr, Entry());
  }

  void TearDown() override {
    SetFaults("");
    UnsetEnv("HOLDFAST_STANDIN_STATE");
    UnsetEnv("HOLDFAST_STANDIN_JOURNAL");
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  std::string MakeFile(const std::string& name, const std::string& bytes) {
    std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  // Fault counts start afresh only when a call sees a new value, so a call
  // is made with none in force first.
  void SetFaults(const std::string& rules) {
    UnsetEnv("HOLDFAST_STANDIN_FAULTS");
    std::string journal = journal_;
    UnsetEnv("HOLDFAST_STANDIN_JOURNAL");
    if (Entry())
      Raw(28, "", 0, "", 0);
    if (!journal.empty())
      SetEnv("HOLDFAST_STANDIN_JOURNAL", journal);
    if (!rules.empty())
      SetEnv("HOLDFAST_STANDIN_FAULTS", rules);
  }

  Reply Raw(uint16_t op, std::string data, uint32_t len,
            const std::string& key, int8_t keynum,
            const ClientId& client = kProgram, uint8_t* pos = nullptr) {
    uint8_t own_pos[128] = {};
    char key_buf[256] = {};
    std::memcpy(key_buf, key.data(), std::min<size_t>(key.size(), 255));
    ClientId id = client;
    Reply r;
    r.len = len;
    r.status = Entry()(op, pos ? pos : own_pos, data.data(), &r.len, key_buf,
                       255, keynum, id.data());
    r.data = data;
    return r;
  }

  int Open(uint8_t* pos, const std::string& path) {
    return Raw(0, "", 0, path, 0, kProgram, pos).status;
  }
  int Close(uint8_t* pos) { return Raw(1, "", 0, "", 0, kProgram, pos).status; }
  int Begin(const std::string& list, const ClientId& client = kProgram) {
    return Raw(42, list, static_cast<uint32_t>(list.size()), "", 0, client)
        .status;
  }
  int End(const ClientId& client = kProgram) {
    return Raw(42, "", 0, "", 1, client).status;
  }

  std::string StateFile() const { return state_dir_ + "/continuous.txt"; }
  std::vector<std::string> State() const { return ReadLines(StateFile()); }
  static std::string Held(const ClientId& client, const std::string& path) {
    return HexOf(client) + "\t" + path;
  }

  ProcessRequest Helper(const ClientId& client,
                     const std::vector<std::string>& commands) const {
    ProcessRequest run;
    run.program = ExecutableDirectory() + HELPER_NAME;
    run.args = {HexOf(client)};
    run.args.insert(run.args.end(), commands.begin(), commands.end());
    run.env = {{"HOLDFAST_STANDIN_STATE", state_dir_}};
    run.unset_env = {"HOLDFAST_STANDIN_JOURNAL", "HOLDFAST_STANDIN_FAULTS"};
    return run;
  }

  std::string dir_, state_dir_, journal_;
};

TEST_F(StandinTest, OpenMarksThePositionBlockAndCloseClearsIt) {
  std::string a = MakeFile("a.dat", kDatabase);
  uint8_t first[128] = {}, second[128] = {};
  ASSERT_EQ(0, Open(first, a));
  EXPECT_FALSE(AllZero(first, 128));
  ASSERT_EQ(0, Open(second, a));
  EXPECT_EQ(0, Close(first));
  EXPECT_TRUE(AllZero(first, 128));
  EXPECT_EQ(3, Close(first));
  EXPECT_EQ(0, Close(second));

  uint8_t never_opened[128];
  std::memset(never_opened, 0xAA, sizeof never_opened);
  EXPECT_EQ(3, Close(never_opened));

  // Opening is a look, not a change.
  EXPECT_FALSE(fs::exists(StateFile()));
}

TEST_F(StandinTest, FileBytesDecideOpenAndBeginStatus) {
  fs::create_directory(dir_ + "/folder");
  struct Case {
    const char* name;
    std::string bytes;  // nothing is written for "missing" names
    int open, begin;
  } cases[] = {
      {"db", kDatabase, 0, 0},
      {"db-head-only", "STANDIN-BTRIEVE\n", 0, 0},
      {"owner", kOwnerDatabase, 51, 0},
      {"owner-head-only", "STANDIN-BTRIEVE OWNER\n", 51, 0},
      {"no-newline", "STANDIN-BTRIEVE", 30, 30},
      {"crlf", "STANDIN-BTRIEVE\r\n" + std::string(50, 'x'), 30, 30},
      {"lowercase", "standin-btrieve\n" + std::string(50, 'x'), 30, 30},
      {"owner-no-newline", "STANDIN-BTRIEVE OWNER", 30, 30},
      {"leading-space", " STANDIN-BTRIEVE\n", 30, 30},
      {"empty", "", 30, 30},
      {"text", "hello\n", 30, 30},
      {"missing", "", 12, 12},
      {"missing-folder/x.dat", "", 12, 12},
      {"folder", "", 30, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = dir_ + "/" + c.name;
    if (!std::string(c.name).starts_with("missing") &&
        std::string(c.name) != "folder")
      MakeFile(c.name, c.bytes);
    uint8_t pos[128] = {};
    EXPECT_EQ(c.open, Open(pos, path));
    if (c.open == 0) {
      EXPECT_EQ(0, Close(pos));
    }
    EXPECT_EQ(c.begin, Begin(path));
    EXPECT_EQ(c.begin == 0 ? std::vector<std::string>{Held(kProgram, path)}
                           : std::vector<std::string>{},
              State());
    EXPECT_EQ(0, End());
  }
}

TEST_F(StandinTest, KeyBufferIsReadNoFurtherThanKeyLength) {
  std::string a = MakeFile("a.dat", kDatabase);
  std::string key = a + "trailing";  // no NUL within the length given
  uint8_t pos[128] = {};
  ClientId id = kProgram;
  uint32_t len = 0;
  EXPECT_EQ(0, Entry()(0, pos, nullptr, &len, key.data(),
                       static_cast<uint8_t>(a.size()), 0, id.data()));
  EXPECT_EQ(12, Entry()(0, pos, nullptr, &len, key.data(),
                        static_cast<uint8_t>(a.size() - 1), 0, id.data()));
}

TEST_F(StandinTest, OtherOperationsAndKeyNumbersAreRefused) {
  std::string a = MakeFile("a.dat", kDatabase);
  ASSERT_EQ(0, Begin(a));
  for (int op : {2, 5, 27, 29, 41, 43, 65535})
    EXPECT_EQ(1, Raw(static_cast<uint16_t>(op), "", 0, a, 0).status) << op;
  for (int keynum : {2, -1, 127})
    EXPECT_EQ(6, Raw(42, a, static_cast<uint32_t>(a.size()), "",
                     static_cast<int8_t>(keynum))
                     .status)
        << keynum;
  EXPECT_EQ(0, Raw(28, "", 4, "", 0).status);
  EXPECT_EQ(std::vector<std::string>{Held(kProgram, a)}, State());
}

TEST_F(StandinTest, BeginIsAllOrNone) {
  std::string a = MakeFile("a.dat", kDatabase);
  std::string b = MakeFile("b.dat", kOwnerDatabase);
  std::string t = MakeFile("t.txt", "text");
  std::string m = dir_ + "/missing.dat";
  struct Case {
    std::string list;
    int status;
  } refused[] = {
      {a + "," + b + "," + t, 30},
      {a + "," + m + "," + b, 12},
      {t + "," + m, 30},  // the first bad name decides
      {m + "," + t, 12},
  };
  for (const Case& c : refused) {
    EXPECT_EQ(c.status, Begin(c.list)) << c.list;
    EXPECT_EQ(std::vector<std::string>{}, State());
  }
  ASSERT_EQ(0, Begin(a + "," + b));
  EXPECT_EQ(30, Begin(b + "," + a + "," + t));
  EXPECT_EQ((std::vector<std::string>{Held(kProgram, a), Held(kProgram, b)}),
            State());
}

TEST_F(StandinTest, BeginTakesTheListUpToTheFirstNul) {
  std::string a = MakeFile("a.dat", kDatabase);
  std::string b = MakeFile("b.dat", kDatabase);
  std::string t = MakeFile("t.txt", "text");
  std::string dotted = dir_ + "/./a.dat";
  struct Case {
    std::string data;
    int status;
    std::vector<std::string> paths;
  } cases[] = {
      {a + '\0', 0, {a}},  // one file, sent with its NUL
      {a + '\0' + "," + t, 0, {a}},
      {a + "," + b, 0, {a, b}},
      {a + "," + a, 0, {a}},
      {dotted, 0, {dotted}},  // kept as given, not made canonical
      {"", 11, {}},
      {std::string(1, '\0') + a, 11, {}},
      {a + ",," + b, 11, {}},
      {"," + a, 11, {}},
      {a + ",", 11, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.data));
    EXPECT_EQ(c.status, Begin(c.data));
    std::vector<std::string> expected;
    for (const std::string& p : c.paths)
      expected.push_back(Held(kProgram, p));
    EXPECT_EQ(expected, State());
    EXPECT_EQ(0, End());
  }
}

TEST_F(StandinTest, BeginningAgainAddsOnlyWhatIsNew) {
  std::string a = MakeFile("a.dat", kDatabase);
  std::string b = MakeFile("b.dat", kDatabase);
  EXPECT_EQ(0, Begin(a));
  EXPECT_EQ(0, Begin(b + "," + a));
  EXPECT_EQ(0, Begin(a));
  EXPECT_EQ((std::vector<std::string>{Held(kProgram, a), Held(kProgram, b)}),
            State());
}

TEST_F(StandinTest, FilesHeldByAnotherClientAreTheirs) {
  std::string a = MakeFile("a.dat", kDatabase);
  std::string b = MakeFile("b.dat", kDatabase);
  EXPECT_EQ(0, End());  // nothing to end is no fault
  ASSERT_EQ(0, Begin(a));
  EXPECT_EQ(85, Begin(b + "," + a, kOther));
  EXPECT_EQ(std::vector<std::string>{Held(kProgram, a)}, State());
  EXPECT_EQ(0, Begin(b, kOther));
  EXPECT_EQ(0, End(kOther));
  EXPECT_EQ(std::vector<std::string>{Held(kProgram, a)}, State());
  EXPECT_EQ(0, End());
  EXPECT_EQ(std::vector<std::string>{}, State());
}

TEST_F(StandinTest, StateIsPlainTextThatKeepsOddNamesWhole) {
  std::vector<std::string> names = {MakeFile("a.dat", kDatabase),
                                    MakeFile("100%.dat", kDatabase)};
  std::string expected = Held(kProgram, names[0]) + "\n" + HexOf(kProgram) +
                         "\t" + dir_ + "/100%25.dat\n";
  // Names Windows does not allow are tried where the system takes them.
  std::string tab = MakeFile("tab\there.dat", kDatabase);
  if (fs::exists(tab)) {
    names.push_back(tab);
    expected += Held(kProgram, tab) + "\n";
  }
  std::string odd = MakeFile("line\nbreak\r.dat", kDatabase);
  if (fs::exists(odd)) {
    names.push_back(odd);
    expected += HexOf(kProgram) + "\t" + dir_ + "/line%0abreak%0d.dat\n";
  }
  std::string list;
  for (const std::string& n : names)
    list += (list.empty() ? "" : ",") + n;
  ASSERT_EQ(0, Begin(list));
  EXPECT_EQ(expected, ReadWhole(StateFile()));

  // Read back, each name is the one that was begun.
  for (const std::string& n : names)
    EXPECT_EQ(85, Begin(n, kOther)) << n;
  EXPECT_EQ(0, End());
  EXPECT_EQ("", ReadWhole(StateFile()));
}

TEST_F(StandinTest, StateFileEditedByHandIsReadOrRefused) {
  std::string a = MakeFile("a.dat", kDatabase);
  std::string b = MakeFile("b.dat", kDatabase);
  fs::create_directories(state_dir_);
  std::ofstream(StateFile(), std::ios::binary)
      << Held(kOther, a) << "\r\n\n";
  EXPECT_EQ(85, Begin(a));
  EXPECT_EQ(0, Begin(b));
  EXPECT_EQ((std::vector<std::string>{Held(kOther, a), Held(kProgram, b)}),
            State());

  const std::string garbled = "not a client\t" + a + "\n";
  std::ofstream(StateFile(), std::ios::binary) << garbled;
  EXPECT_EQ(2, Begin(b));
  EXPECT_EQ(2, End());
  EXPECT_EQ(garbled, ReadWhole(StateFile()));
}

TEST_F(StandinTest, StateDirectoryIsMadeWhereverItIsNamed) {
  std::string a = MakeFile("a.dat", kDatabase);
  std::string nested = dir_ + "/deep/er/state";
  SetEnv("HOLDFAST_STANDIN_STATE", nested);
  EXPECT_EQ(0, Begin(a));
  EXPECT_EQ(std::vector<std::string>{Held(kProgram, a)},
            ReadLines(nested + "/continuous.txt"));

  // Unset, it lives in the system's temporary folder.
  ProcessRequest run = Helper(kProgram, {"begin:" + a});
  run.env = {{"TMPDIR", dir_}, {"TMP", dir_}, {"TEMP", dir_}};
  run.unset_env.push_back("HOLDFAST_STANDIN_STATE");
  ProcessResult r = RunProcess(run);
  EXPECT_EQ("0", r.out) << r.err;
  EXPECT_EQ(std::vector<std::string>{Held(kProgram, a)},
            ReadLines(dir_ + "/holdfast-standin/continuous.txt"));
}

TEST_F(StandinTest, EndInALaterProcessEndsWhatAnEarlierOneBegan) {
  std::string a = MakeFile("a.dat", kDatabase);
  std::string b = MakeFile("b.dat", kDatabase);
  std::string c = MakeFile("c.dat", kDatabase);
  std::string d = MakeFile("d.dat", kDatabase);
  ProcessResult r = RunProcess(Helper(kProgram, {"begin:" + a + "," + b}));
  EXPECT_EQ("0", r.out) << r.err;
  r = RunProcess(Helper(kOther, {"begin:" + c}));
  EXPECT_EQ("0", r.out) << r.err;
  ASSERT_EQ(0, Begin(d));
  EXPECT_EQ((std::vector<std::string>{Held(kProgram, a), Held(kProgram, b),
                                      Held(kOther, c), Held(kProgram, d)}),
            State());
  r = RunProcess(Helper(kProgram, {"end"}));
  EXPECT_EQ("0", r.out) << r.err;
  EXPECT_EQ(std::vector<std::string>{Held(kOther, c)}, State());
}

TEST_F(StandinTest, ProcessesBeginningAtOnceLoseNothing) {
  const int kProcesses = 6, kFilesEach = 40;
  std::vector<RunningProcess*> running;
  std::vector<std::string> expected;
  for (int p = 0; p < kProcesses; ++p) {
    ClientId client = kOther;
    client[0] = static_cast<uint8_t>(p + 1);
    std::vector<std::string> commands;
    for (int f = 0; f < kFilesEach; ++f) {
      std::string path = MakeFile(
          "p" + std::to_string(p) + "f" + std::to_string(f) + ".dat",
          kDatabase);
      commands.push_back("begin:" + path);
      expected.push_back(Held(client, path));
    }
    running.push_back(StartProcess(Helper(client, commands)));
  }
  std::string all_ok = "0";
  for (int f = 1; f < kFilesEach; ++f)
    all_ok += " 0";
  for (RunningProcess* p : running) {
    ProcessResult r = WaitProcess(p);
    EXPECT_EQ(all_ok, r.out) << r.err;
  }
  std::vector<std::string> state = State();
  std::sort(state.begin(), state.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(expected, state);
}

TEST_F(StandinTest, JournalHasOneExactLinePerCall) {
  fs::path old_cwd = fs::current_path();
  fs::current_path(dir_);  // short relative names keep the lines portable
  MakeFile("a.dat", kDatabase);
  const std::string client = "client=" + HexOf(kProgram);
  const std::string zeros(256, '0');
  std::string counting;
  uint8_t numbered[128];
  for (int i = 0; i < 128; ++i) {
    numbered[i] = static_cast<uint8_t>(i);
    counting += "0123456789abcdef"[i >> 4];
    counting += "0123456789abcdef"[i & 15];
  }

  EXPECT_EQ(0, Raw(0, "", 0, "a.dat", 0).status);
  std::string data = std::string("a.dat") + '\0' + "\t\\\xff x~";
  EXPECT_EQ(0, Raw(42, data + "beyond", static_cast<uint32_t>(data.size()),
                   "", 0, kProgram, numbered)
                   .status);
  EXPECT_EQ(6, Raw(42, "", 0, "", -1).status);
  EXPECT_EQ(12, Raw(0, "", 0, "no such\x01.dat", 0).status);
  SetFaults("op=28 status=65541 len=2");
  EXPECT_EQ(65541, Raw(28, "abcd", 4, "", 0).status);
  UnsetEnv("HOLDFAST_STANDIN_JOURNAL");
  EXPECT_EQ(3, Raw(1, "", 0, "", 0).status);  // not journalled
  fs::current_path(old_cwd);

  std::vector<std::string> expected = {
      "op=0\tpos=" + zeros +
          "\tdata=\tlen=0\tkey=a.dat\tkeylen=255\tkeynum=0\t" + client +
          "\tstatus=0\tretlen=0",
      "op=42\tpos=" + counting +
          "\tdata=a.dat\\x00\\x09\\x5c\\xff x~\tlen=12\tkey=\tkeylen=255"
          "\tkeynum=0\t" + client + "\tstatus=0\tretlen=12",
      "op=42\tpos=" + zeros +
          "\tdata=\tlen=0\tkey=\tkeylen=255\tkeynum=-1\t" + client +
          "\tstatus=6\tretlen=0",
      "op=0\tpos=" + zeros +
          "\tdata=\tlen=0\tkey=no such\\x01.dat\tkeylen=255\tkeynum=0\t" +
          client + "\tstatus=12\tretlen=0",
      "op=28\tpos=" + zeros +
          "\tdata=abcd\tlen=4\tkey=\tkeylen=255\tkeynum=0\t" + client +
          "\tstatus=65541\tretlen=2",
  };
  EXPECT_EQ(expected, ReadLines(journal_));
}

TEST_F(StandinTest, FaultsWriteWhatTheRuleAsks) {
  const std::string kBuffer = "ABCDEFGHIJ";
  struct Case {
    std::string rules;
    uint32_t len_in;
    int status;
    uint32_t len_out;
    std::string buffer;
  } cases[] = {
      {"op=28 status=40000", 4, 40000, 4, kBuffer},
      {"op=28 status=65541", 4, 65541, 4, kBuffer},
      {"op=28 status=-7", 4, -7, 4, kBuffer},
      {"op=28 status=0 len=3", 4, 0, 3, kBuffer},
      {"op=28 status=5 len=4000000000", 0, 5, 4000000000u, kBuffer},
      {"op=28 status=5 text=hi", 4, 5, 4, std::string("hi\0DEFGHIJ", 10)},
      {"op=28 status=5 text=hello", 4, 5, 4, "hellEFGHIJ"},
      {"op=28 status=5 text=", 4, 5, 4, std::string("\0BCDEFGHIJ", 10)},
      {"op=28 status=5 text=hello", 0, 5, 0, kBuffer},
      {"op=28 status=5 fill=Z", 6, 5, 6, "ZZZZZZGHIJ"},
      {"op=28 status=5 fill=\\x00", 3, 5, 3, std::string("\0\0\0DEFGHIJ", 10)},
      {"op=28 status=5 fill=Z text=ab len=9", 6, 5, 9,
       std::string("ab\0ZZZGHIJ", 10)},
      {"op=28 status=5 text=a\\x20b\\x3bc", 10, 5, 10,
       std::string("a b;c\0GHIJ", 10)},
      {"  ;op=28   status=8 ; ", 4, 8, 4, kBuffer},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rules);
    SetFaults(c.rules);
    Reply r = Raw(28, kBuffer, c.len_in, "", 0);
    EXPECT_EQ(c.status, r.status);
    EXPECT_EQ(c.len_out, r.len);
    EXPECT_EQ(c.buffer, r.data);
    std::vector<std::string> journal = ReadLines(journal_);
    ASSERT_FALSE(journal.empty());
    EXPECT_TRUE(journal.back().ends_with(
        "\tstatus=" + std::to_string(c.status) +
        "\tretlen=" + std::to_string(c.len_out)))
        << journal.back();
  }
}

TEST_F(StandinTest, FaultedCallsDoNothingElse) {
  std::string a = MakeFile("a.dat", kDatabase);
  SetFaults("op=42 keynum=0 status=0");
  EXPECT_EQ(0, Begin(a));
  EXPECT_EQ(std::vector<std::string>{}, State());

  SetFaults("op=0 status=0");
  uint8_t pos[128] = {};
  EXPECT_EQ(0, Open(pos, a));
  EXPECT_TRUE(AllZero(pos, 128));

  SetFaults("");
  ASSERT_EQ(0, Open(pos, a));
  ASSERT_EQ(0, Begin(a));
  SetFaults("op=1 status=0;op=42 keynum=1 status=0");
  EXPECT_EQ(0, Close(pos));
  EXPECT_EQ(0, End());
  SetFaults("");
  EXPECT_EQ(0, Close(pos));  // the mark was still there
  EXPECT_EQ(std::vector<std::string>{Held(kProgram, a)}, State());
}

TEST_F(StandinTest, FaultRulesChooseTheirCalls) {
  std::string a = MakeFile("a.dat", kDatabase);
  std::string b = MakeFile("b.dat", kDatabase);
  enum Kind { kOpenA, kOpenB, kBeginA, kBeginB, kEnd, kReset };
  struct Case {
    std::string rules;
    std::vector<std::pair<Kind, int>> calls;  // and the status expected
  } cases[] = {
      {"op=0 match=b.dat status=94", {{kOpenA, 0}, {kOpenB, 94}, {kOpenA, 0}}},
      {"op=42 match=b.dat status=94", {{kBeginA, 0}, {kBeginB, 94}}},
      {"op=0 match=b.dat status=94", {{kBeginB, 0}}},
      {"op=42 keynum=1 status=9", {{kBeginA, 0}, {kEnd, 9}}},
      {"op=0 call=2 status=77", {{kOpenA, 0}, {kOpenA, 77}, {kOpenA, 0}}},
      {"op=0 match=b.dat call=2 status=77",
       {{kOpenA, 0}, {kOpenB, 0}, {kOpenA, 0}, {kOpenB, 77}}},
      {"op=0 status=1;op=0 status=2", {{kOpenA, 1}}},
      {"op=0 call=2 status=5;op=0 status=6",
       {{kOpenA, 6}, {kOpenA, 5}, {kOpenA, 6}}},
      {"op=28 status=7", {{kOpenA, 0}, {kReset, 7}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rules);
    SetFaults(c.rules);
    int n = 0;
    for (auto [kind, status] : c.calls) {
      uint8_t pos[128] = {};
      int got = -1;
      switch (kind) {
        case kOpenA: got = Open(pos, a); break;
        case kOpenB: got = Open(pos, b); break;
        case kBeginA: got = Begin(a); break;
        case kBeginB: got = Begin(b); break;
        case kEnd: got = End(); break;
        case kReset: got = Raw(28, "", 0, "", 0).status; break;
      }
      EXPECT_EQ(status, got) << "call " << ++n;
    }
    SetFaults("");
    EXPECT_EQ(0, End());
  }
}

TEST_F(StandinTest, MalformedFaultsRefuseEveryCall) {
  std::string a = MakeFile("a.dat", kDatabase);
  for (const char* rules : {
           "op=0",
           "status=1",
           "op=x status=1",
           "op= status=1",
           "op=0 status=1 bogus=2",
           "op=0 status=1 op=1",
           "op=0 status=1 novalue",
           "op=0 status=1;op=1",
           "op=70000 status=1",
           "op=-1 status=1",
           "op=0 status=99999999999",
           "op=0 status=1.5",
           "op=0 status=1 keynum=128",
           "op=0 status=1 call=0",
           "op=0 status=1 len=-1",
           "op=0 status=1 fill=ab",
           "op=0 status=1 fill=",
           "op=0 status=1 match=",
           "op=0 status=1 text=\\q",
           "op=0 status=1 text=\\x4",
       }) {
    SCOPED_TRACE(rules);
    SetFaults(rules);
    EXPECT_EQ(9999, Raw(28, "", 0, "", 0).status);
    EXPECT_EQ(9999, Begin(a));
  }
  SetFaults("");
  EXPECT_EQ(std::vector<std::string>{}, State());

  ProcessRequest run = Helper(kProgram, {"begin:" + a});
  run.env.push_back({"HOLDFAST_STANDIN_FAULTS", "op=42 bogus"});
  ProcessResult r = RunProcess(run);
  EXPECT_EQ("9999", r.out);
  EXPECT_NE(std::string::npos, r.err.find("HOLDFAST_STANDIN_FAULTS")) << r.err;
}

}  // namespace
