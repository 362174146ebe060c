#include "LargeBuffer.h"

#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace evidor {

namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
}

void* allocateLarge(std::size_t bytes)
{
    if (bytes == 0)
        bytes = 1;
#ifdef __linux__
    if (bytes >= 4 * kHugePage) {
        const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        if (void* p = std::aligned_alloc(kHugePage, rounded)) {
            ::madvise(p, rounded, MADV_HUGEPAGE);
            return p;
        }
        throw std::bad_alloc();
    }
#endif
    if (void* p = std::malloc(bytes))
        return p;
    throw std::bad_alloc();
}

void freeLarge(void* p) noexcept
{
    std::free(p);
}

} // namespace evidor
