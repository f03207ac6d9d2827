#include "ui/FreedMemory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

namespace {

// How many pages of [begin, end) are resident.
std::size_t residentPages(const char* begin, const char* end)
{
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const auto first = reinterpret_cast<std::uintptr_t>(begin) / page * page;
    const auto last = (reinterpret_cast<std::uintptr_t>(end) + page - 1) / page * page;
    std::vector<unsigned char> resident((last - first) / page);
    if (::mincore(reinterpret_cast<void*>(first), last - first, resident.data()) != 0)
        return 0;
    std::size_t count = 0;
    for (const unsigned char flags : resident)
        count += flags & 1;
    return count;
}

// Blocks freed in the middle of the heap stay with the allocator: nothing
// but a trim gives their pages back, because a block kept above them holds
// the heap's top where it is.
TEST(FreedMemory, HandsFreedPagesInTheMiddleOfTheHeapBackToTheSystem)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer keeps freed blocks in quarantine";
#endif
    constexpr std::size_t blocks = 16384;
    constexpr std::size_t blockSize = 1024; // well below the size the allocator maps on its own
    std::vector<char*> freed;
    freed.reserve(blocks);
    for (std::size_t index = 0; index < blocks; ++index) {
        char* block = static_cast<char*>(std::malloc(blockSize));
        ASSERT_NE(block, nullptr);
        std::fill(block, block + blockSize, char(index));
        freed.push_back(block);
    }
    const std::unique_ptr<char, decltype(&std::free)> top(static_cast<char*>(std::malloc(blockSize)), &std::free);
    const auto [low, high] = std::minmax_element(freed.begin(), freed.end());
    const char* begin = *low;
    const char* end = *high + blockSize;
    ASSERT_LT(top.get() - end, 64 * 1024) << "the blocks are not one stretch of the heap";
    for (char* block : freed)
        std::free(block);
    const std::size_t before = residentPages(begin, end);
    ASSERT_GT(before, blocks * blockSize / 4096 / 2) << "the freed pages are still in use";

    returnFreedMemory();

    EXPECT_LT(residentPages(begin, end), before / 10);
}

} // namespace
