// Counts what a process does that the panel benchmark reports per frame:
// preloaded into the companion (LD_PRELOAD), it counts every malloc,
// calloc, realloc and aligned allocation, and every picture sent to the X
// server (xcb_put_image) with its pixels, into shared counters in the file
// named by LUMIVO_PROCESS_COUNTERS, which the benchmark reads without
// disturbing the process.
#include <xcb/xproto.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <dlfcn.h>
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

// The file's layout, as the benchmark reads it.
struct Counters {
    std::atomic<std::uint64_t> allocations{0};
    std::atomic<std::uint64_t> pictures{0};
    std::atomic<std::uint64_t> pixels{0};
};

Counters beforeMapping;
Counters* counters = &beforeMapping;

void count() { counters->allocations.fetch_add(1, std::memory_order_relaxed); }

__attribute__((constructor)) void mapCounters()
{
    const char* path = std::getenv("LUMIVO_PROCESS_COUNTERS");
    if (!path)
        return;
    const int file = ::open(path, O_RDWR | O_CREAT, 0600);
    if (file < 0)
        return;
    if (::ftruncate(file, sizeof(Counters)) == 0) {
        void* shared = ::mmap(nullptr, sizeof(Counters), PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
        if (shared != MAP_FAILED) {
            auto* mapped = static_cast<Counters*>(shared);
            mapped->allocations.store(beforeMapping.allocations.load());
            counters = mapped;
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

xcb_void_cookie_t xcb_put_image(xcb_connection_t* connection, uint8_t format, xcb_drawable_t drawable,
                                xcb_gcontext_t gc, uint16_t width, uint16_t height, int16_t x, int16_t y,
                                uint8_t leftPad, uint8_t depth, uint32_t length, const uint8_t* data)
{
    using PutImage = decltype(&xcb_put_image);
    static const auto next = reinterpret_cast<PutImage>(::dlsym(RTLD_NEXT, "xcb_put_image"));
    counters->pictures.fetch_add(1, std::memory_order_relaxed);
    counters->pixels.fetch_add(std::uint64_t(width) * height, std::memory_order_relaxed);
    return next(connection, format, drawable, gc, width, height, x, y, leftPad, depth, length, data);
}

} // extern "C"
