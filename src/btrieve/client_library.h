// Finding and loading the engine's client library at run time.
#pragma once

#include <cstdint>
#include <string>

#if defined(_WIN32) && !defined(_WIN64)
#define BTRIEVE_CALLCONV __stdcall
#else
#define BTRIEVE_CALLCONV
#endif

using BtrCallIdEntry = int BTRIEVE_CALLCONV(
    uint16_t operation, void* position_block, void* data_buffer,
    uint32_t* data_length, void* key_buffer, uint8_t key_length,
    int8_t key_number, uint8_t* client_id);

// Loads the library named by HOLDFAST_BTRIEVE_LIBRARY, else the platform's
// default, and sets btrieve_entry. On failure writes the reason to standard
// error and returns false; no engine call may then be made.
bool LoadClientLibrary();

// Platform parts.
std::string DefaultClientLibraryName();
// Returns the entry, or nullptr with the platform's reason in *reason.
BtrCallIdEntry* OpenClientLibrary(const std::string& name, std::string* reason);
