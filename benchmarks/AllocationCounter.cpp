// Counts a process's heap allocations for the panel benchmark: preloaded into
// the companion (LD_PRELOAD), it counts every malloc, calloc, realloc and
// aligned allocation into a shared counter in the file named by
// LUMIVO_ALLOCATION_COUNTER, which the benchmark reads without disturbing
// the process.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
}

namespace {

std::atomic<std::uint64_t> beforeMapping{0};
std::atomic<std::uint64_t>* counter = &beforeMapping;

void count()
{
    counter->fetch_add(1, std::memory_order_relaxed);
}

__attribute__((constructor)) void mapCounter()
{
    const char* path = std::getenv("LUMIVO_ALLOCATION_COUNTER");
    if (!path)
        return;
    const int file = ::open(path, O_RDWR | O_CREAT, 0600);
    if (file < 0)
        return;
    if (::ftruncate(file, sizeof(std::uint64_t)) == 0) {
        void* shared = ::mmap(nullptr, sizeof(std::uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
        if (shared != MAP_FAILED) {
            auto* mapped = static_cast<std::atomic<std::uint64_t>*>(shared);
            mapped->store(beforeMapping.load());
            counter = mapped;
        }
    }
    ::close(file);
}

} // namespace

extern "C" {

void* malloc(std::size_t size)
{
    count();
    return __libc_malloc(size);
}

void* calloc(std::size_t count_, std::size_t size)
{
    count();
    return __libc_calloc(count_, size);
}

void* realloc(void* pointer, std::size_t size)
{
    count();
    return __libc_realloc(pointer, size);
}

void* memalign(std::size_t alignment, std::size_t size)
{
    count();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    count();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** result, std::size_t alignment, std::size_t size)
{
    count();
    void* pointer = __libc_memalign(alignment, size);
    if (!pointer)
        return 12; // ENOMEM
    *result = pointer;
    return 0;
}

} // extern "C"
