#include "tools/mkdata/line_smoothing.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr qreal kSampleSpacing = 4; // pixels between two samples of the curve
constexpr int kMaxSamplesPerSegment = 16;

qreal Length(QPointF v) { return std::hypot(v.x(), v.y()); }

QPointF Unit(QPointF v)
{
    const qreal length = Length(v);
    return length > 0 ? v / length : QPointF();
}

// The curve's direction at a vertex: the bisector of the directions of its two segments, or
// none at a sharp turn, which stays a corner.
QPointF TangentAt(QPointF before, QPointF at, QPointF after)
{
    const QPointF sum = Unit(at - before) + Unit(after - at);
    const qreal length = Length(sum);
    return length < std::sqrt(2.0) ? QPointF() : sum / length;
}

} // namespace

QPolygonF SmoothLine(const QPolygonF &line)
{
    const bool closed = line.size() > 3 && line.front() == line.back();
    const int n = int(closed ? line.size() - 1 : line.size());
    if (n < 3)
        return line;
    auto vertex = [&](int i) { return line[closed ? (i + n) % n : std::clamp(i, 0, n - 1)]; };
    std::vector<QPointF> tangents(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        tangents[size_t(i)] = !closed && i == 0       ? Unit(vertex(1) - vertex(0))
                              : !closed && i == n - 1 ? Unit(vertex(n - 1) - vertex(n - 2))
                                                      : TangentAt(vertex(i - 1), vertex(i), vertex(i + 1));
    const int segments = closed ? n : n - 1;
    QPolygonF curve;
    curve.reserve(segments * 3 + 1);
    for (int s = 0; s < segments; ++s) {
        // A cubic Hermite piece from vertex s to vertex s + 1 with tangents as long as the chord.
        const QPointF p0 = vertex(s), p1 = vertex(s + 1);
        const qreal chord = Length(p1 - p0);
        const QPointF m0 = tangents[size_t(s)] * chord, m1 = tangents[size_t((s + 1) % n)] * chord;
        const int samples = std::clamp(int(std::ceil(chord / kSampleSpacing)), 1, kMaxSamplesPerSegment);
        curve << p0;
        for (int k = 1; k < samples; ++k) {
            const qreal t = qreal(k) / samples, t2 = t * t, t3 = t2 * t;
            curve << p0 * (2 * t3 - 3 * t2 + 1) + m0 * (t3 - 2 * t2 + t) + p1 * (-2 * t3 + 3 * t2) +
                         m1 * (t3 - t2);
        }
    }
    curve << vertex(closed ? 0 : n - 1);
    return curve;
}
