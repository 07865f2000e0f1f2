#include "support/ProcessMemory.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <vector>

namespace {

size_t heapBytesInUse(HANDLE heap) {
    if (!HeapLock(heap)) return 0;
    size_t total = 0;
    PROCESS_HEAP_ENTRY entry = {};
    while (HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
    }
    HeapUnlock(heap);
    return total;
}

}  // namespace

MemoryUse currentMemoryUse() {
    MemoryUse use;
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters)) {
        // Wine leaves PrivateUsage 0 and reports the same figure as PagefileUsage.
        use.privateBytes = counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
        // Wine's peak commit charge is only the current one; its peak working set is a peak.
        use.peakWorkingSetBytes = counters.PeakWorkingSetSize;
    }
    // Room for heaps made between the two calls.
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    const DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    heaps.resize(std::min<size_t>(count, heaps.size()));
    for (HANDLE heap : heaps) use.heapBytes += heapBytesInUse(heap);
    return use;
}
