// The one entry point a client library exports.
#ifndef HOLDFAST_STANDIN_ENTRY_H_
#define HOLDFAST_STANDIN_ENTRY_H_

#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define STANDIN_CALL __stdcall
#else
#define STANDIN_CALL
#endif

#if defined(_WIN32)
#define STANDIN_EXPORT __declspec(dllexport)
#else
#define STANDIN_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

typedef int(STANDIN_CALL* BtrCallFunction)(
    uint16_t operation, void* positionBlock, void* dataBuffer,
    uint32_t* dataLength, void* keyBuffer, uint8_t keyLength,
    int8_t keyNumber, uint8_t* clientId);

STANDIN_EXPORT int STANDIN_CALL BTRCALLID(
    uint16_t operation, void* positionBlock, void* dataBuffer,
    uint32_t* dataLength, void* keyBuffer, uint8_t keyLength,
    int8_t keyNumber, uint8_t* clientId);

}  // extern "C"

#endif  // HOLDFAST_STANDIN_ENTRY_H_
