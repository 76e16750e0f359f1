// A line per call in the file HOLDFAST_STANDIN_JOURNAL names, so tests
// can see exactly what a program asked of its engine.
#ifndef HOLDFAST_STANDIN_JOURNAL_H_
#define HOLDFAST_STANDIN_JOURNAL_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "call.h"

namespace standin {

// Keeps printable ASCII and space; any other byte, backslash and tab
// become \xHH.
std::string EscapeBytes(std::string_view bytes);

// Taken before the call runs, since it may overwrite the buffers.
std::string JournalFields(const Call& call);

// Appends one line if HOLDFAST_STANDIN_JOURNAL is set.
void WriteJournal(const std::string& fields, int status, uint32_t retlen);

}  // namespace standin

#endif  // HOLDFAST_STANDIN_JOURNAL_H_
