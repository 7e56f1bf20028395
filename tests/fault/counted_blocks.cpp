// Counting the heap blocks a run leaves behind: the allocator's entry points
// are taken over and passed on to the C library's own.
#include <stddef.h>

#include "fault_platform.h"

#ifdef __SANITIZE_ADDRESS__

void StartCountingBlocks() {}
int StopCountingBlocks() { return -1; }

#else

extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *block, size_t size);
void __libc_free(void *block);
}

namespace {

enum { MAX_LIVE = 4096 };
void *g_live[MAX_LIVE];  // blocks taken while counting, not yet freed
int g_liveCount;
bool g_counting, g_overflowed;

void Remember(void *block)
{
    if (!g_counting || !block) return;
    if (g_liveCount == MAX_LIVE) {
        g_overflowed = true;
        return;
    }
    g_live[g_liveCount++] = block;
}

void Forget(void *block)
{
    if (!g_counting || !block) return;
    for (int i = g_liveCount - 1; i >= 0; i--) {
        if (g_live[i] == block) {
            g_live[i] = g_live[--g_liveCount];
            return;
        }
    }
}

}  // namespace

extern "C" void *malloc(size_t size)
{
    void *block = __libc_malloc(size);
    Remember(block);
    return block;
}

extern "C" void *calloc(size_t count, size_t size)
{
    void *block = __libc_calloc(count, size);
    Remember(block);
    return block;
}

extern "C" void *realloc(void *block, size_t size)
{
    void *moved = __libc_realloc(block, size);
    if (moved || size == 0) Forget(block);
    Remember(moved);
    return moved;
}

extern "C" void free(void *block)
{
    Forget(block);
    __libc_free(block);
}

void StartCountingBlocks()
{
    g_liveCount = 0;
    g_overflowed = false;
    g_counting = true;
}

int StopCountingBlocks()
{
    g_counting = false;
    return g_overflowed ? MAX_LIVE : g_liveCount;
}

#endif
