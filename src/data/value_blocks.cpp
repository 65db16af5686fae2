#include "data/value_blocks.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>

namespace bdg {

namespace {

static_assert(std::is_nothrow_default_constructible_v<Variant>);

constexpr std::size_t FirstBlockRows = 16;
constexpr std::size_t HugePageBytes = std::size_t(2) << 20;

// Blocks of a huge page or more are aligned to one and marked for huge pages; the system
// may still give small pages, which only costs the faults it would have cost anyway.
Variant* allocateValues(std::size_t count, bool& huge) {
    const std::size_t bytes = count * sizeof(Variant);
    huge = bytes >= HugePageBytes;
    if (!huge)
        return static_cast<Variant*>(::operator new(bytes));
    const std::size_t rounded = (bytes + HugePageBytes - 1) / HugePageBytes * HugePageBytes;
    void* memory = std::aligned_alloc(HugePageBytes, rounded);
    if (memory == nullptr)
        throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    madvise(memory, rounded, MADV_HUGEPAGE);
#endif
    return static_cast<Variant*>(memory);
}

void releaseValues(Variant* values, bool huge) {
    if (huge)
        std::free(values);
    else
        ::operator delete(values);
}

} // namespace

ValueBlocks::~ValueBlocks() {
    for (Variant* row : m_rows)
        std::destroy_n(row, m_width);
    for (const Block& block : m_blocks)
        releaseValues(block.values, block.huge);
}

void ValueBlocks::setWidth(std::size_t width) {
    m_width = std::max<std::size_t>(width, 1);
}

Variant* ValueBlocks::appendRow() {
    if (m_blocks.empty() || m_rowsInLastBlock == m_blocks.back().rows) {
        const std::size_t largest =
            std::max<std::size_t>(1, HugePageBytes / (m_width * sizeof(Variant)));
        Block block;
        block.rows =
            m_blocks.empty() ? FirstBlockRows : std::min(m_blocks.back().rows * 2, largest);
        block.values = allocateValues(block.rows * m_width, block.huge);
        try {
            m_blocks.push_back(block);
        } catch (...) {
            releaseValues(block.values, block.huge);
            throw;
        }
        m_rowsInLastBlock = 0;
    }
    Variant* slot = m_blocks.back().values + m_width * m_rowsInLastBlock;
    m_rows.push_back(slot);
    std::uninitialized_value_construct_n(slot, m_width);
    ++m_rowsInLastBlock;
    return slot;
}

} // namespace bdg
