#include "testing/failing_new.h"

#include <cstdlib>
#include <new>

size_t fail_allocation_of_size = 0;

void* operator new(size_t size) {
  if (size != 0 && size == fail_allocation_of_size) {
    fail_allocation_of_size = 0;
    throw std::bad_alloc();
  }
  if (void* memory = std::malloc(size ? size : 1))
    return memory;
  throw std::bad_alloc();
}

void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, size_t) noexcept { std::free(memory); }
