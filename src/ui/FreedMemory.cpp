#include "FreedMemory.h"

// The C library says which one it is (glibc defines __GLIBC__ in the
// features header every C header includes): one of its headers comes
// before the test, or the test is always false.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void returnFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
