#pragma once

#include <QRectF>
#include <unordered_map>
#include <vector>

// The rectangles already taken on a map picture (labels, shields, symbols, boxes), bucketed
// in square cells so that a test looks only at nearby rectangles.
class TCollisionGrid {
public:
    explicit TCollisionGrid(double cellSize = 64) : FCellSize(cellSize) {}

    bool Collides(const QRectF &rect) const;
    void Add(const QRectF &rect);

private:
    template <typename Visit> void ForEachCell(const QRectF &rect, Visit visit) const;
    static long long CellKey(long long column, long long row) { return column * 1000003LL + row; }

    double FCellSize;
    std::vector<QRectF> FRects;
    std::unordered_map<long long, std::vector<int>> FCells;
};
