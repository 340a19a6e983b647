#pragma once

#include <cstdint>

// Which column the peer table is sorted by, and in which direction. Lives as long as
// the main window; not stored between runs.
struct PeerSortState
{
    std::int32_t Column = 0; // -1 (a click outside the cells) sorts like column 0
    bool Ascending = false;

    // A click on column c (-1 outside the cells): the same column again reverses the
    // order, another column sorts by it ascending.
    void Click(std::int32_t column);
};
