#pragma once

// Asks the processor to bring the bytes at `at` into its cache ahead of their use: for loops
// over a page's items, whose bytes lie far apart in memory.
inline void PrefetchBytes(const void* at)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(at);
#else
    (void)at;
#endif
}
