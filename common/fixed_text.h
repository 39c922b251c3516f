// Fixed-capacity, NUL-terminated 8-bit strings: every text in both programs
// lives in a char array of a known capacity and is cut, never overrun.
#pragma once
#include <cstddef>

// Copies src into dst (capacity bytes, NUL included), cutting it to
// capacity - 1 characters. dst is always NUL-terminated when capacity > 0.
// src may be null (copied as the empty text).
void CopyCut(char *dst, size_t capacity, const char *src);

template <size_t N> inline void CopyCut(char (&dst)[N], const char *src) { CopyCut(dst, N, src); }

// Appends src to the text in dst, cutting at the capacity.
void AppendCut(char *dst, size_t capacity, const char *src);

template <size_t N> inline void AppendCut(char (&dst)[N], const char *src) {
    AppendCut(dst, N, src);
}
