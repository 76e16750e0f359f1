#include "call.h"

namespace standin {

std::string Hex(const unsigned char* bytes, size_t n) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(2 * n);
  for (size_t i = 0; i < n; ++i) {
    out += digits[bytes[i] >> 4];
    out += digits[bytes[i] & 15];
  }
  return out;
}

std::string Call::Data() const {
  if (!data)
    return std::string();
  return std::string(reinterpret_cast<const char*>(data), Length());
}

std::string Call::Key() const {
  std::string out;
  if (!key)
    return out;
  // Byte by byte: the buffer may end right after its NUL.
  for (size_t i = 0; i < keylen && key[i] != 0; ++i)
    out += static_cast<char>(key[i]);
  return out;
}

std::string Call::ClientHex() const {
  static const unsigned char zeros[kClientIdSize] = {};
  return Hex(client ? client : zeros, kClientIdSize);
}

}  // namespace standin
