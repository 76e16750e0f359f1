// The one door to the engine: the request record, the client identity, the
// gateway and the five requests this program makes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "btrieve/client_library.h"

enum BtrieveOperation : uint16_t {
  kOpOpen = 0,
  kOpClose = 1,
  kOpReset = 28,
  kOpContinuous = 42,
};

enum ContinuousKey : int16_t {
  kBeginContinuous = 0,
  kEndContinuous = 1,
};

constexpr int kStatusNeedsOwner = 51;

// Longest path the engine takes; longer ones are never cut, only refused.
constexpr size_t kMaxEnginePath = 255;

// Returned without any call when a path cannot be sent whole.
constexpr int kStatusNotSent = -1;

struct BtrvRequest {
  uint16_t operation;
  uint8_t position_block[128];
  void* data_buffer;
  uint16_t data_length;
  void* key_buffer;
  int16_t key_number;
};

extern BtrvRequest btrv_request;

struct ClientId {
  uint8_t bytes[16];
};

// The same in every call of every run, so an end run speaks for the client
// that began continuous operation in an earlier run.
extern const ClientId client_id;

// The entry every call goes through; set by LoadClientLibrary, or by tests.
extern BtrCallIdEntry* btrieve_entry;

int CallBtrieve(BtrvRequest& request);

int BeginOneFile(const std::string& path);
int BeginFileList(char* list, uint16_t length);
int ENDBU();
bool ProbeFile(const std::string& path);
int ResetClient();
