#pragma once

#include "data/variant.h"

#include <cstddef>
#include <vector>

namespace bdg {

/// Rows of a fixed number of values, side by side in blocks that never move, each twice the
/// size of the one before up to 2 MiB. Blocks of that size ask the system for huge pages, so
/// that filling a hundred thousand rows costs a few dozen page faults instead of ten
/// thousand, and no row is ever copied to make room for the next.
class ValueBlocks {
public:
    ValueBlocks() = default;
    ~ValueBlocks();
    ValueBlocks(const ValueBlocks&) = delete;
    ValueBlocks& operator=(const ValueBlocks&) = delete;

    /// Values per row; set while there are no rows (0 counts as 1).
    void setWidth(std::size_t width);
    std::size_t width() const { return m_width; }
    std::size_t rowCount() const { return m_rows.size(); }

    /// Appends a row of Empty values and returns its first value. Nothing changes when the
    /// memory cannot be had.
    Variant* appendRow();
    Variant* row(std::size_t index) const { return m_rows[index]; }

private:
    struct Block {
        Variant* values = nullptr;
        std::size_t rows = 0;
        bool huge = false;
    };

    std::size_t m_width = 1;
    std::vector<Block> m_blocks;
    std::size_t m_rowsInLastBlock = 0;
    std::vector<Variant*> m_rows; ///< the first value of each row, in its block
};

} // namespace bdg
