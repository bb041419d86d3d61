// Heap allocations made through the global operator new anywhere in the
// program, the standard library included, counted since the program started.
// Linking alloc_counter.cpp replaces the global operator new and delete.
#pragma once

#include <cstdint>

uint64_t allocationCount();
