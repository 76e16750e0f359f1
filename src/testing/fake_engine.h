// An in-process engine for unit tests: records every call as the gateway
// made it and answers with scripted statuses.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct EngineCall {
  uint16_t operation;
  std::array<uint8_t, 128> position_block;
  const void* data_buffer;
  uint32_t data_length;
  std::string data;       // the data_length bytes handed over
  std::string data_text;  // the NUL-ended text, when the capacity is known
  const void* key_buffer;
  uint8_t key_length;
  std::string key;  // the key_length bytes handed over
  int8_t key_number;
  std::array<uint8_t, 16> client_id;
};

// What a script may change, as an engine would.
struct EngineBuffers {
  uint8_t* position_block;
  char* data_buffer;
  uint32_t* data_length;
};

using EngineScript = std::function<int(const EngineCall&, EngineBuffers)>;

extern std::vector<EngineCall> engine_calls;
// Answers each call; when empty, every call gets status 0.
extern EngineScript engine_script;
// How many bytes of a data buffer may be read to find its NUL (0: none).
extern size_t engine_data_capacity;

// Points btrieve_entry at the fake, with no calls and no script.
void InstallFakeEngine();
