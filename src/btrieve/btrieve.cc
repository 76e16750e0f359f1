#include "btrieve/btrieve.h"

#include <cstdio>
#include <cstring>

#include "driver/options.h"

BtrvRequest btrv_request;

const ClientId client_id = {
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'B', 'B', 0xB0, 0x07}};

BtrCallIdEntry* btrieve_entry = nullptr;

namespace {

constexpr uint8_t kKeyLength = 255;

// Scratch buffers are zeroed whole, not just their first byte, so the engine
// never reads stale bytes up to the key length it is told.
struct Scratch {
  char bytes[256] = {};
};

}  // namespace

int CallBtrieve(BtrvRequest& request) {
  // The engine may take its time: the console shows everything said so far.
  std::fflush(stderr);
  if (run_options.debug)
    std::printf("Op: %d, Buflen: %d, KeyNum: %d ", request.operation,
                request.data_length, request.key_number);
  uint32_t length = request.data_length;
  // A copy, so no engine can alter the identity later calls present.
  ClientId id = client_id;
  int result = btrieve_entry(request.operation, request.position_block,
                             request.data_buffer, &length, request.key_buffer,
                             kKeyLength, static_cast<int8_t>(request.key_number),
                             id.bytes);
  request.data_length = static_cast<uint16_t>(length);
  int status = static_cast<int16_t>(static_cast<uint16_t>(result));
  if (run_options.debug)
    std::printf("Status: %d\n", status);
  return status;
}

int BeginOneFile(const std::string& path) {
  if (path.size() > kMaxEnginePath)
    return kStatusNotSent;
  Scratch data, key;
  std::memcpy(data.bytes, path.data(), path.size());
  btrv_request.operation = kOpContinuous;
  btrv_request.data_buffer = data.bytes;
  btrv_request.data_length = static_cast<uint16_t>(path.size() + 1);
  btrv_request.key_buffer = key.bytes;
  btrv_request.key_number = kBeginContinuous;
  return CallBtrieve(btrv_request);
}

int BeginFileList(char* list, uint16_t length) {
  Scratch key;
  btrv_request.operation = kOpContinuous;
  btrv_request.data_buffer = list;
  btrv_request.data_length = length;
  btrv_request.key_buffer = key.bytes;
  btrv_request.key_number = kBeginContinuous;
  return CallBtrieve(btrv_request);
}

int ENDBU() {
  Scratch data, key;
  btrv_request.operation = kOpContinuous;
  btrv_request.data_buffer = data.bytes;
  btrv_request.data_length = 0;
  btrv_request.key_buffer = key.bytes;
  btrv_request.key_number = kEndContinuous;
  return CallBtrieve(btrv_request);
}

bool ProbeFile(const std::string& path) {
  if (path.size() > kMaxEnginePath)
    return false;
  Scratch data, key;
  std::memcpy(key.bytes, path.data(), path.size());
  btrv_request.operation = kOpOpen;
  btrv_request.data_buffer = data.bytes;
  btrv_request.data_length = 0;
  btrv_request.key_buffer = key.bytes;
  btrv_request.key_number = 0;
  int status = CallBtrieve(btrv_request);
  if (status != 0)
    return status == kStatusNeedsOwner;
  // The Close reuses everything the Open left, its position block above all.
  btrv_request.operation = kOpClose;
  CallBtrieve(btrv_request);
  return true;
}

int ResetClient() {
  // The same buffer serves as data and key; it is as long as the key length
  // the engine is told.
  Scratch scratch;
  btrv_request.operation = kOpReset;
  btrv_request.data_buffer = scratch.bytes;
  btrv_request.data_length = 4;
  btrv_request.key_buffer = scratch.bytes;
  btrv_request.key_number = 0;
  return CallBtrieve(btrv_request);
}
