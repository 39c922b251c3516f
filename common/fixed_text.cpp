#include "common/fixed_text.h"

#include <cstring>

void CopyCut(char *dst, size_t capacity, const char *src) {
    if (capacity == 0) return;
    size_t n = 0;
    if (src) {
        while (n + 1 < capacity && src[n] != '\0') ++n;
        std::memmove(dst, src, n);
    }
    dst[n] = '\0';
}

void AppendCut(char *dst, size_t capacity, const char *src) {
    if (capacity == 0) return;
    size_t used = strnlen(dst, capacity - 1);
    CopyCut(dst + used, capacity - used, src);
}
