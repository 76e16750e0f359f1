// A seam for running out of memory: the test binary's global operator new
// fails the next allocation of one chosen size.
#pragma once

#include <cstddef>

// The size to refuse once, or 0 for none; reset to 0 when it has failed.
extern size_t fail_allocation_of_size;
