#include "testing/fake_engine.h"

#include <cstring>

#include "btrieve/btrieve.h"

std::vector<EngineCall> engine_calls;
EngineScript engine_script;
size_t engine_data_capacity = 0;

namespace {

int BTRIEVE_CALLCONV FakeEntry(uint16_t operation, void* position_block,
                               void* data_buffer, uint32_t* data_length,
                               void* key_buffer, uint8_t key_length,
                               int8_t key_number, uint8_t* client_id) {
  // Copied now: the caller reuses its buffers for the next call.
  EngineCall call{};
  call.operation = operation;
  std::memcpy(call.position_block.data(), position_block, 128);
  call.data_buffer = data_buffer;
  call.data_length = *data_length;
  const char* data = static_cast<const char*>(data_buffer);
  call.data.assign(data, *data_length);
  if (engine_data_capacity > 0)
    call.data_text.assign(data, strnlen(data, engine_data_capacity));
  call.key_buffer = key_buffer;
  call.key_length = key_length;
  call.key.assign(static_cast<const char*>(key_buffer), key_length);
  call.key_number = key_number;
  std::memcpy(call.client_id.data(), client_id, 16);
  engine_calls.push_back(call);
  if (!engine_script)
    return 0;
  return engine_script(call, {static_cast<uint8_t*>(position_block),
                              static_cast<char*>(data_buffer), data_length});
}

}  // namespace

void InstallFakeEngine() {
  engine_calls.clear();
  engine_script = nullptr;
  engine_data_capacity = 0;
  btrieve_entry = FakeEntry;
}
