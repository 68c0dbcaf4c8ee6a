#include "tools/mkdata/collision_grid.h"

#include <cmath>

template <typename Visit> void TCollisionGrid::ForEachCell(const QRectF &rect, Visit visit) const
{
    const long long left = (long long)std::floor(rect.left() / FCellSize);
    const long long right = (long long)std::floor(rect.right() / FCellSize);
    const long long top = (long long)std::floor(rect.top() / FCellSize);
    const long long bottom = (long long)std::floor(rect.bottom() / FCellSize);
    for (long long row = top; row <= bottom; ++row)
        for (long long column = left; column <= right; ++column)
            visit(CellKey(column, row));
}

bool TCollisionGrid::Collides(const QRectF &rect) const
{
    bool collides = false;
    ForEachCell(rect, [&](long long key) {
        if (collides)
            return;
        const auto cell = FCells.find(key);
        if (cell == FCells.end())
            return;
        for (int index : cell->second)
            if (FRects[size_t(index)].intersects(rect)) {
                collides = true;
                return;
            }
    });
    return collides;
}

void TCollisionGrid::Add(const QRectF &rect)
{
    const int index = int(FRects.size());
    FRects.push_back(rect);
    ForEachCell(rect, [&](long long key) { FCells[key].push_back(index); });
}
