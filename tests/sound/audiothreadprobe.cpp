#include "audiothreadprobe.h"

#include <dirent.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::atomic<long> watchedThread{-1};
std::atomic<long> allocationCount{0};

void noteAllocation()
{
    const long watched = watchedThread.load(std::memory_order_relaxed);
    if (watched >= 0 && syscall(SYS_gettid) == watched)
        allocationCount.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)

// Under AddressSanitizer the sanitizer's allocator serves malloc and its
// family, and reports every allocation to the hooks installed here.
using MallocHook = void (*)(const volatile void*, std::size_t);
using FreeHook = void (*)(const volatile void*);
extern "C" int __sanitizer_install_malloc_and_free_hooks(MallocHook, FreeHook);

namespace {
[[maybe_unused]] const int hooksInstalled = __sanitizer_install_malloc_and_free_hooks(
    [](const volatile void*, std::size_t) { noteAllocation(); }, [](const volatile void*) {});
} // namespace

#else

extern "C" {

void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void __libc_free(void*);

void* malloc(std::size_t size)
{
    noteAllocation();
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size)
{
    noteAllocation();
    return __libc_calloc(count, size);
}

void* realloc(void* pointer, std::size_t size)
{
    noteAllocation();
    return __libc_realloc(pointer, size);
}

void free(void* pointer)
{
    __libc_free(pointer);
}

} // extern "C"

#endif

namespace AudioThreadProbe {

long findAudioThread()
{
    long found = -1;
    DIR* const tasks = opendir("/proc/self/task");
    if (!tasks)
        return found;
    while (const dirent* entry = readdir(tasks)) {
        if (entry->d_name[0] == '.')
            continue;
        const std::string comm = std::string("/proc/self/task/") + entry->d_name + "/comm";
        if (FILE* file = std::fopen(comm.c_str(), "r")) {
            char name[32] = {};
            if (std::fgets(name, sizeof name, file) && std::strncmp(name, "SDLAudioP", 9) == 0)
                found = std::strtol(entry->d_name, nullptr, 10);
            std::fclose(file);
        }
    }
    closedir(tasks);
    return found;
}

void watch(long tid)
{
    allocationCount = 0;
    watchedThread = tid;
}

long take()
{
    return allocationCount.exchange(0);
}

void stop()
{
    watchedThread = -1;
}

double cpuSeconds(long tid)
{
    // The CPU-time clock of another thread of this process (the kernel's
    // per-thread clock id: CPUCLOCK_PERTHREAD | CPUCLOCK_SCHED).
    const auto clock = static_cast<clockid_t>((~static_cast<unsigned long>(tid) << 3) | 6);
    timespec time{};
    if (clock_gettime(clock, &time) != 0)
        return -1;
    return double(time.tv_sec) + double(time.tv_nsec) * 1e-9;
}

} // namespace AudioThreadProbe
