#pragma once
// How much memory the test program holds, to see that repeated work gives its memory back.
#include <cstddef>

struct MemoryUse {
    size_t privateBytes = 0;         // the commit charge, as the system counts it
    size_t peakWorkingSetBytes = 0;  // the most memory the process has had in use at once
    size_t heapBytes = 0;     // the blocks in use on every heap of the process
};

MemoryUse currentMemoryUse();
