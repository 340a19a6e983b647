#include "PeerSortState.h"

void PeerSortState::Click(std::int32_t column)
{
    if (column == Column) {
        Ascending = !Ascending;
    } else {
        Ascending = true;
        Column = column;
    }
}
