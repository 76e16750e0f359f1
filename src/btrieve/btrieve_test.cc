#include "btrieve/btrieve.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <string>

#include "driver/options.h"
#include "testing/fake_engine.h"

namespace {

const std::array<uint8_t, 16> kClientId = {0, 0, 0, 0, 0, 0, 0, 0, 0,    0,
                                           0, 0, 'B', 'B', 0xB0, 0x07};

class GatewayTest : public testing::Test {
 protected:
  void SetUp() override {
    run_options = RunOptions();
    btrv_request = BtrvRequest();
    InstallFakeEngine();
  }
};

struct RequestCase {
  const char* name;
  std::function<void()> request;
  uint16_t operation;
  int8_t key_number;
  uint32_t data_length;
  std::string data;      // the data_length bytes expected
  std::string key_text;  // the key buffer up to its first NUL
};

char list[] = "/a/one.dat,/b/two.dat";

const RequestCase kRequests[] = {
    {"BeginOneFile", [] { BeginOneFile("/d/ten.dat"); }, 42, 0, 11,
     std::string("/d/ten.dat\0", 11), ""},
    {"BeginFileList", [] { BeginFileList(list, 21); }, 42, 0, 21,
     "/a/one.dat,/b/two.dat", ""},
    {"ENDBU", [] { ENDBU(); }, 42, 1, 0, "", ""},
    {"ProbeFile", [] { ProbeFile("/d/x.dat"); }, 0, 0, 0, "", "/d/x.dat"},
    {"ResetClient", [] { ResetClient(); }, 28, 0, 4, std::string(4, '\0'), ""},
};

TEST_F(GatewayTest, EachRequestPassesItsFieldsAndTheClientIdentity) {
  for (const RequestCase& expected : kRequests) {
    SCOPED_TRACE(expected.name);
    InstallFakeEngine();
    expected.request();
    // A probe's Close is checked with the probe below.
    ASSERT_FALSE(engine_calls.empty());
    const EngineCall& call = engine_calls[0];
    EXPECT_EQ(call.operation, expected.operation);
    EXPECT_EQ(call.key_number, expected.key_number);
    EXPECT_EQ(call.data_length, expected.data_length);
    EXPECT_EQ(call.data, expected.data);
    EXPECT_NE(call.data_buffer, nullptr);
    EXPECT_EQ(call.key_length, 255);
    EXPECT_EQ(std::string(call.key.c_str()), expected.key_text);
    EXPECT_EQ(call.client_id, kClientId);
  }
}

TEST_F(GatewayTest, ListIsPassedInPlaceAndResetSharesItsBuffer) {
  BeginFileList(list, 21);
  ResetClient();
  ASSERT_EQ(engine_calls.size(), 2u);
  EXPECT_EQ(engine_calls[0].data_buffer, list);
  EXPECT_EQ(engine_calls[1].data_buffer, engine_calls[1].key_buffer);
}

TEST_F(GatewayTest, TraceLineOnStandardOutput) {
  run_options.debug = true;
  engine_script = [](const EngineCall& call, EngineBuffers) {
    return call.key_number == 1 ? 7 : 0;
  };
  testing::internal::CaptureStdout();
  BeginOneFile("/d/ten.dat");
  ENDBU();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Op: 42, Buflen: 11, KeyNum: 0 Status: 0\n"
            "Op: 42, Buflen: 0, KeyNum: 1 Status: 7\n");

  run_options.debug = false;
  testing::internal::CaptureStdout();
  ENDBU();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(GatewayTest, StatusIsTheLowSixteenBitsSignExtended) {
  const struct {
    int returned;
    int status;
  } kCases[] = {{0, 0}, {0x10005, 5}, {40000, -25536}, {-1, -1}, {0x2FFFF, -1}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.returned);
    engine_script = [&](const EngineCall&, EngineBuffers) { return c.returned; };
    EXPECT_EQ(ENDBU(), c.status);
  }
}

TEST_F(GatewayTest, ProbeClosesOnlyWhatItOpened) {
  const struct {
    int open_status;
    bool result;
    size_t calls;
  } kCases[] = {{0, true, 2}, {51, true, 1}, {30, false, 1}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.open_status);
    InstallFakeEngine();
    engine_script = [&](const EngineCall& call, EngineBuffers buffers) {
      if (call.operation != kOpOpen)
        return 0;
      std::memset(buffers.position_block, 0xA5, 128);
      *buffers.data_length = 77;
      return c.open_status;
    };
    EXPECT_EQ(ProbeFile("/d/x.dat"), c.result);
    ASSERT_EQ(engine_calls.size(), c.calls);
    if (c.calls < 2)
      continue;
    const EngineCall& close = engine_calls[1];
    EXPECT_EQ(close.operation, kOpClose);
    std::array<uint8_t, 128> opened;
    opened.fill(0xA5);
    EXPECT_EQ(close.position_block, opened);
    EXPECT_EQ(close.data_length, 77u);
    EXPECT_EQ(close.key_buffer, engine_calls[0].key_buffer);
    EXPECT_EQ(close.key, engine_calls[0].key);
    EXPECT_EQ(close.key_number, 0);
  }
}

TEST_F(GatewayTest, PathsLongerThan255AreNeverSentOrCut) {
  std::string longest = "/" + std::string(254, 'x');
  EXPECT_EQ(BeginOneFile(longest), 0);
  EXPECT_TRUE(ProbeFile(longest));
  ASSERT_EQ(engine_calls.size(), 3u);
  EXPECT_EQ(engine_calls[0].data_length, 256u);
  EXPECT_EQ(engine_calls[0].data, longest + '\0');
  EXPECT_EQ(std::string(engine_calls[1].key.c_str()), longest);

  InstallFakeEngine();
  std::string too_long = longest + "y";
  EXPECT_NE(BeginOneFile(too_long), 0);
  EXPECT_FALSE(ProbeFile(too_long));
  EXPECT_TRUE(engine_calls.empty());
}

}  // namespace
