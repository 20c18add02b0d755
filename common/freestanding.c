/* The plug-in DLLs link no C run-time library, yet the compiler may still
 * emit calls to these for block copies and clears.  Kept byte-simple and
 * compiled so the compiler cannot turn the loops back into calls to
 * themselves. */
#include <stddef.h>

#if defined(__GNUC__)
#define NO_LOOP_TO_CALL __attribute__((optimize("no-tree-loop-distribute-patterns")))
#else
#define NO_LOOP_TO_CALL
#endif

NO_LOOP_TO_CALL void *memset(void *dst, int value, size_t n)
{
    unsigned char *d = (unsigned char *)dst;
    while (n--)
        *d++ = (unsigned char)value;
    return dst;
}

NO_LOOP_TO_CALL void *memcpy(void *dst, const void *src, size_t n)
{
    unsigned char *d = (unsigned char *)dst;
    const unsigned char *s = (const unsigned char *)src;
    while (n--)
        *d++ = *s++;
    return dst;
}

NO_LOOP_TO_CALL void *memmove(void *dst, const void *src, size_t n)
{
    unsigned char *d = (unsigned char *)dst;
    const unsigned char *s = (const unsigned char *)src;
    if (d < s) {
        while (n--)
            *d++ = *s++;
    } else {
        while (n--)
            d[n] = s[n];
    }
    return dst;
}

NO_LOOP_TO_CALL int memcmp(const void *a, const void *b, size_t n)
{
    const unsigned char *x = (const unsigned char *)a;
    const unsigned char *y = (const unsigned char *)b;
    for (; n; --n, ++x, ++y)
        if (*x != *y)
            return *x - *y;
    return 0;
}
