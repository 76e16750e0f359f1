// One call into the entry point, with the caller's buffers.
#ifndef HOLDFAST_STANDIN_CALL_H_
#define HOLDFAST_STANDIN_CALL_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace standin {

constexpr size_t kPositionBlockSize = 128;
constexpr size_t kClientIdSize = 16;

enum Operation : uint16_t {
  kOpen = 0,
  kClose = 1,
  kReset = 28,
  kContinuous = 42,
};

struct Call {
  uint16_t op = 0;
  unsigned char* pos = nullptr;  // kPositionBlockSize bytes, or null
  unsigned char* data = nullptr;
  uint32_t* len = nullptr;
  const unsigned char* key = nullptr;
  uint8_t keylen = 0;
  int8_t keynum = 0;
  const unsigned char* client = nullptr;  // kClientIdSize bytes, or null

  uint32_t Length() const { return len ? *len : 0; }
  // All Length() bytes of the data buffer.
  std::string Data() const;
  // The key buffer up to its first NUL within keylen bytes.
  std::string Key() const;
  // Lowercase hex of the client identity; a null one reads as zeros.
  std::string ClientHex() const;
};

std::string Hex(const unsigned char* bytes, size_t n);

}  // namespace standin

#endif  // HOLDFAST_STANDIN_CALL_H_
