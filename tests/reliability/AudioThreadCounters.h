#pragma once

// Counts what the thread marked as the audio thread asks of the system: heap allocations and
// frees (every operator new and delete of the program and, outside sanitizer builds, every
// malloc, realloc and free of the process) and contended entries into the plug-in mutex.
// Linked into one test program only: it replaces the program's allocation functions.

#include <cstdint>

namespace kvrel {

struct AudioThreadCounts {
    int64_t allocations = 0;
    int64_t frees = 0;
    int64_t lockWaits = 0;
};

// Marks or unmarks the calling thread as the audio thread.
void MarkAudioThread(bool audio);
// What the marked threads did since the last ResetAudioThreadCounts.
AudioThreadCounts AudioThreadCountsSoFar();
void ResetAudioThreadCounts();

} // namespace kvrel
