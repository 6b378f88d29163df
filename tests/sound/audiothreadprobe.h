#pragma once

// Watches SDL's audio thread from the outside: its CPU time, and the
// allocations it makes. Linking audiothreadprobe.cpp replaces malloc, calloc
// and realloc of the whole program with counting wrappers around glibc's own
// (under AddressSanitizer, whose allocator serves them, it counts through the
// sanitizer's allocation hooks instead).

namespace AudioThreadProbe {

// The thread id of SDL's playback thread ("SDLAudioP…"), or -1.
long findAudioThread();

// Counts the allocations that thread makes from now on.
void watch(long tid);
// Allocations counted since watch() or the last take(), which restarts the count.
long take();
void stop();

// CPU time the thread has used, in seconds (-1 when it cannot be read).
double cpuSeconds(long tid);

} // namespace AudioThreadProbe
