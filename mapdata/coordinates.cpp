#include "mapdata/coordinates.h"

#include <QFile>
#include <QIODevice>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "base/errors.h"
#include "mapdata/binary_reader.h"
#include "mapdata/data_file.h"

namespace {
constexpr int kExtendedBias = 16383;
constexpr int kExtendedMaxExponent = 0x7FFF; // infinities and NaNs
constexpr int kSignificandBits = 64;         // the integer bit included
constexpr uint64_t kIntegerBit = uint64_t(1) << 63;
} // namespace

// The format is decoded and encoded field by field rather than copied, so that it reads the same
// on every processor: on x86 the value is exact both ways, and a wider long double (binary128)
// holds every x87 value exactly too, its own values rounded to 64 significant bits when written.
void WriteExtended80(long double value, unsigned char out[10])
{
    uint64_t significand = 0;
    int exponent = 0;
    if (std::isnan(value)) {
        significand = kIntegerBit | (kIntegerBit >> 1);
        exponent = kExtendedMaxExponent;
    } else if (std::isinf(value)) {
        significand = kIntegerBit;
        exponent = kExtendedMaxExponent;
    } else if (value != 0) {
        int power;
        std::frexp(value, &power); // |value| = m · 2^power, 0.5 <= m < 1
        // Denormals keep the smallest exponent, with the integer bit clear.
        const int scale = std::max(power - 1, 1 - kExtendedBias);
        const long double scaled = std::nearbyint(std::ldexp(std::fabs(value), kSignificandBits - 1 - scale));
        exponent = scale + kExtendedBias;
        if (scaled == std::ldexp(1.0L, kSignificandBits)) { // rounded up into the next binade
            significand = kIntegerBit;
            ++exponent;
        } else {
            significand = uint64_t(scaled);
            if (significand < kIntegerBit)
                exponent = 0;
        }
        if (exponent >= kExtendedMaxExponent)
            significand = kIntegerBit, exponent = kExtendedMaxExponent;
    }
    for (int i = 0; i < 8; ++i)
        out[i] = uchar(significand >> (8 * i));
    out[8] = uchar(exponent);
    out[9] = uchar((exponent >> 8) | (std::signbit(value) ? 0x80 : 0));
}

long double ReadExtended80(const unsigned char in[10])
{
    uint64_t significand = 0;
    for (int i = 7; i >= 0; --i)
        significand = significand << 8 | in[i];
    const int exponent = (int(in[9] & 0x7F) << 8) | in[8];
    long double magnitude;
    if (exponent == kExtendedMaxExponent)
        magnitude = (significand << 1) == 0 ? std::numeric_limits<long double>::infinity()
                                            : std::numeric_limits<long double>::quiet_NaN();
    else // a denormal (exponent 0) counts as exponent 1 without the integer bit
        magnitude = std::ldexp((long double)significand, std::max(exponent, 1) - kExtendedBias - (kSignificandBits - 1));
    return (in[9] & 0x80) ? -magnitude : magnitude;
}

namespace {
// ---------------------------------------------------------------------------------------
// Reading a .pts file
// ---------------------------------------------------------------------------------------

[[noreturn]] void ThrowInvalid(const QIODevice &stream, const QString &reason)
{
    throw TovralError(QStringLiteral("Invalid reference-point file %1: %2").arg(StreamName(stream), reason));
}

// A finite, normal x87 value: not an infinity or NaN (exponent all ones) and not an
// "unnormal" (non-zero exponent without the explicit integer bit), which the FPU refuses.
bool IsUsableExtended80(const unsigned char bytes[10])
{
    const unsigned exponent = (unsigned(bytes[9] & 0x7F) << 8) | bytes[8];
    const bool integerBit = (bytes[7] & 0x80) != 0;
    return exponent != 0x7FFF && (exponent == 0 || integerBit);
}

TCoordinateItem DecodeItem(const QIODevice &stream, const QByteArray &bytes, int index)
{
    const auto *record = reinterpret_cast<const unsigned char *>(bytes.constData());
    if (!IsUsableExtended80(record) || !IsUsableExtended80(record + 10))
        ThrowInvalid(stream, QStringLiteral("point %1 holds an invalid number").arg(index + 1));
    TCoordinateItem item;
    item.Longitude = ReadExtended80(record);
    item.Latitude = ReadExtended80(record + 10);
    item.X = LittleEndianInt32(bytes.constData() + 20);
    item.Y = LittleEndianInt32(bytes.constData() + 24);
    return item;
}

// ---------------------------------------------------------------------------------------
// GeoToPixel
// ---------------------------------------------------------------------------------------

// One interpolation pass. The column pass pairs points of one parallel (equal Latitude) and
// interpolates X along Longitude; the row pass pairs points of one meridian (equal
// Longitude) and interpolates Y along Latitude. "Along" is the coordinate that varies
// within a pair, "across" the one the pair shares.
struct TPassAxes {
    long double TCoordinateItem::*Along;
    long double TCoordinateItem::*Across;
    int32_t TCoordinateItem::*Pixel;
};

constexpr TPassAxes kColumnPass{&TCoordinateItem::Longitude, &TCoordinateItem::Latitude, &TCoordinateItem::X};
constexpr TPassAxes kRowPass{&TCoordinateItem::Latitude, &TCoordinateItem::Longitude, &TCoordinateItem::Y};

// A position in the pass's own axes.
struct TPassPoint {
    long double Along = 0;
    long double Across = 0;
};

long double Distance(const TPassPoint &p, const TPassPoint &q)
{
    return std::fabs(p.Along - q.Along) + std::fabs(p.Across - q.Across);
}

// Two neighbours of the sorted copy that give an estimate (b is the later record): what the
// estimate and the blend need of them, computed as the conversion computes it.
struct TPassPair {
    long double AlongB = 0;     // b's along coordinate
    long double AlongSpan = 0;  // b.Along - a.Along, never 0
    long double PixelB = 0;     // b's pixel
    long double PixelSpan = 0;  // b's pixel - a's pixel
    TPassPoint Midpoint;        // ((a.Along + b.Along) / 2, b.Across)
};

std::vector<TPassPair> PassPairs(const std::vector<TCoordinateItem> &sorted, const TPassAxes &axes)
{
    std::vector<TPassPair> pairs;
    for (size_t i = 1; i < sorted.size(); ++i) {
        const TCoordinateItem &a = sorted[i - 1];
        const TCoordinateItem &b = sorted[i];
        if (b.*axes.Across != a.*axes.Across || b.*axes.Along == a.*axes.Along)
            continue;
        pairs.push_back({b.*axes.Along, b.*axes.Along - a.*axes.Along, static_cast<long double>(b.*axes.Pixel),
                         static_cast<long double>(int64_t(b.*axes.Pixel) - int64_t(a.*axes.Pixel)),
                         {(a.*axes.Along + b.*axes.Along) / 2, b.*axes.Across}});
    }
    return pairs;
}

// The blended pixel estimate of a pass at a position; 0 when no pair gave an estimate.
long double InterpolatePass(const std::vector<TPassPair> &pairs, const TPassPoint &position)
{
    long double running = 0; // 0: no estimate yet
    TPassPoint first;        // midpoint of the pair that gave the first estimate
    for (const TPassPair &pair : pairs) {
        const long double estimate =
            std::fabs(pair.PixelB + (position.Along - pair.AlongB) * pair.PixelSpan / pair.AlongSpan);
        if (running == 0) {
            running = estimate;
            first = pair.Midpoint;
            continue;
        }
        const long double dS = Distance(position, first);
        const long double dM = Distance(position, pair.Midpoint);
        // On both midpoints at once the weights vanish: the running value stands.
        if (dS + dM != 0)
            running = (running * dS + estimate * dM) / (dS + dM);
    }
    return running;
}

// Whether a pass estimate places a pixel: not 0 (no pair gave one) and within int32.
bool PlacesPixel(long double estimate)
{
    return estimate != 0 && estimate <= std::numeric_limits<int32_t>::max();
}

// The pass estimate rounded half to even, or -1 when there is none or it is no int32 pixel.
int32_t PassPixel(long double estimate)
{
    if (!PlacesPixel(estimate))
        return -1;
    return int32_t(std::lrintl(estimate));
}

// The range of the along coordinates of a pass's pairs: where its estimates interpolate.
struct TRange {
    long double Low = std::numeric_limits<long double>::infinity();
    long double High = -std::numeric_limits<long double>::infinity();

    bool Holds(long double value) const { return value >= Low && value <= High; }
};

TRange AlongRange(const std::vector<TPassPair> &pairs)
{
    TRange range;
    for (const TPassPair &pair : pairs)
        for (const long double along : {pair.AlongB, pair.AlongB - pair.AlongSpan}) {
            range.Low = std::min(range.Low, along);
            range.High = std::max(range.High, along);
        }
    return range;
}

// ---------------------------------------------------------------------------------------
// PixelToGeo
// ---------------------------------------------------------------------------------------

// Newton steps on the two passes' unrounded estimates: at most this many, each with its
// Jacobian from forward differences of this many degrees, ending when both estimates are
// within the tolerance (pixels) of the point sought. A step that does not bring the
// estimates closer is halved, down to the given fraction.
constexpr int kMaxNewtonSteps = 40;
constexpr long double kDifferenceDegrees = 1e-7L;
constexpr long double kTolerancePixels = 1e-6L;
constexpr long double kSmallestStepFraction = 1.0L / 1024;
// The share of the way to the grid's middle by which the start leaves a reference point.
constexpr long double kStartInwards = 1e-3L;
// Degrees by which an answer may lie outside the grid's range and still count as inside: the
// rounding of the last steps.
constexpr long double kReachSlackDegrees = 1e-7L;
} // namespace

// The pairs of both passes, and where they reach.
struct TInterpolationPairs {
    std::vector<TPassPair> Column; // parallels: X along Longitude
    std::vector<TPassPair> Row;    // meridians: Y along Latitude
    TRange Longitudes;
    TRange Latitudes;
    // The reference points, to start the inverse from the one nearest a pixel.
    std::vector<TCoordinateItem> Points;

    // Both passes' blended estimates at a position (0 where a pass has no estimate).
    TMapPoint Estimates(const TGeoPosition &position) const
    {
        return {InterpolatePass(Column, {position.Longitude, position.Latitude}),
                InterpolatePass(Row, {position.Latitude, position.Longitude})};
    }

    bool Reaches(const TGeoPosition &position) const
    {
        const auto within = [](const TRange &range, long double value) {
            return TRange{range.Low - kReachSlackDegrees, range.High + kReachSlackDegrees}.Holds(value);
        };
        return within(Longitudes, position.Longitude) && within(Latitudes, position.Latitude);
    }
};

namespace {
// How far the estimates at a position are from a point; nothing when a pass gives none.
struct TMiss {
    long double X = 0;
    long double Y = 0;
    long double Size() const { return std::max(std::fabs(X), std::fabs(Y)); }
};

// The estimates are used as they are, also an exact 0 (a point on the grid's first column or
// row), so that the steps can reach the map's edge; only a pass without pairs gives none.
std::optional<TMiss> Miss(const TInterpolationPairs &pairs, const TGeoPosition &position, TMapPoint point)
{
    if (pairs.Column.empty() || pairs.Row.empty())
        return std::nullopt;
    const TMapPoint estimate = pairs.Estimates(position);
    const TMiss miss{estimate.X - point.X, estimate.Y - point.Y};
    if (!std::isfinite(miss.X) || !std::isfinite(miss.Y))
        return std::nullopt;
    return miss;
}

// Where the steps start: the position of the reference point drawn nearest to point, moved
// a hair towards the middle of the grid. On the grid's first column or row the estimates
// fold over (they are absolute values); a start exactly there could step to the mirror
// image of the answer, outside the grid.
TGeoPosition StartPosition(const TInterpolationPairs &pairs, TMapPoint point)
{
    TGeoPosition nearest;
    long double best = std::numeric_limits<long double>::infinity();
    for (const TCoordinateItem &item : pairs.Points) {
        const long double dx = item.X - point.X, dy = item.Y - point.Y;
        if (dx * dx + dy * dy < best) {
            best = dx * dx + dy * dy;
            nearest = {item.Latitude, item.Longitude};
        }
    }
    const auto inwards = [](long double value, const TRange &range) {
        return value + (((range.Low + range.High) / 2 - value) * kStartInwards);
    };
    return {inwards(nearest.Latitude, pairs.Latitudes), inwards(nearest.Longitude, pairs.Longitudes)};
}

// The estimates' pixels per degree of longitude and of latitude at a position (forward
// differences), and the Jacobian inverted: degrees per pixel along X and along Y.
struct TSlopes {
    long double XByLon = 0, YByLon = 0, XByLat = 0, YByLat = 0;

    long double Determinant() const { return XByLon * YByLat - XByLat * YByLon; }
    TDegreesPerPixel Inverse() const
    {
        const long double d = Determinant();
        return {{-YByLon / d, YByLat / d}, {XByLon / d, -XByLat / d}};
    }
};

std::optional<TSlopes> SlopesAt(const TInterpolationPairs &pairs, const TGeoPosition &position, const TMiss &miss,
                                TMapPoint point)
{
    const std::optional<TMiss> east = Miss(pairs, {position.Latitude, position.Longitude + kDifferenceDegrees}, point);
    const std::optional<TMiss> north = Miss(pairs, {position.Latitude + kDifferenceDegrees, position.Longitude}, point);
    if (!east || !north)
        return std::nullopt;
    const TSlopes slopes{(east->X - miss.X) / kDifferenceDegrees, (east->Y - miss.Y) / kDifferenceDegrees,
                         (north->X - miss.X) / kDifferenceDegrees, (north->Y - miss.Y) / kDifferenceDegrees};
    const long double determinant = slopes.Determinant();
    if (!std::isfinite(determinant) || determinant == 0)
        return std::nullopt;
    return slopes;
}

// Newton steps from start towards the position of point. slope, when known, is how the
// position changes per pixel near start (the Jacobian of a nearby search, inverted); the
// steps take fresh derivatives wherever it does not bring the estimates within tolerance.
std::optional<TPixelPosition> SolveForPixel(const TInterpolationPairs &pairs, TMapPoint point, TGeoPosition start,
                                            std::optional<TDegreesPerPixel> slope)
{
    TGeoPosition position = start;
    std::optional<TMiss> miss = Miss(pairs, position, point);
    // The derivatives of the last step stand for those at the answer: where the estimates
    // are linear they are the same everywhere, and elsewhere the last step is the shortest.
    for (int step = 0; miss && step <= kMaxNewtonSteps; ++step) {
        if (miss->Size() <= kTolerancePixels && slope)
            return TPixelPosition{position, *slope};
        const std::optional<TSlopes> slopes = SlopesAt(pairs, position, *miss, point);
        if (!slopes)
            return std::nullopt;
        slope = slopes->Inverse();
        if (miss->Size() <= kTolerancePixels)
            return TPixelPosition{position, *slope};
        if (step == kMaxNewtonSteps)
            break;
        const TGeoPosition change{-(slope->AlongX.Latitude * miss->X + slope->AlongY.Latitude * miss->Y),
                                  -(slope->AlongX.Longitude * miss->X + slope->AlongY.Longitude * miss->Y)};
        // The step, halved until it brings the estimates closer.
        std::optional<TMiss> next;
        TGeoPosition tried;
        for (long double fraction = 1; fraction >= kSmallestStepFraction; fraction /= 2) {
            tried = {position.Latitude + fraction * change.Latitude, position.Longitude + fraction * change.Longitude};
            next = Miss(pairs, tried, point);
            if (next && next->Size() < miss->Size())
                break;
            next.reset();
        }
        if (!next)
            return std::nullopt;
        position = tried;
        miss = next;
    }
    return std::nullopt;
}
} // namespace

// ---------------------------------------------------------------------------------------
// TCoordinates
// ---------------------------------------------------------------------------------------

void TCoordinates::LoadFromFile(const QString &fileName)
{
    QFile file;
    OpenDataFile(file, fileName);
    LoadFromStream(file);
}

void TCoordinates::LoadFromStream(QIODevice &stream)
{
    Clear();
    TBinaryReader reader(stream);
    const std::optional<int32_t> stated = reader.ReadInt32();
    if (!stated)
        ThrowInvalid(stream, QStringLiteral("the file is too short to hold the byte count"));
    const int32_t byteCount = *stated;
    if (byteCount < 0)
        ThrowInvalid(stream, QStringLiteral("negative byte count %1").arg(byteCount));
    if (byteCount % kCoordinateItemBytes != 0)
        ThrowInvalid(stream, QStringLiteral("byte count %1 is not a multiple of %2").arg(byteCount).arg(kCoordinateItemBytes));
    const qint64 left = reader.BytesLeft();
    if (left >= 0 && byteCount > left)
        ThrowInvalid(stream, QStringLiteral("byte count %1 but only %2 bytes follow").arg(byteCount).arg(left));

    // A sequential stream cannot tell its size: read it record by record so that a lying
    // byte count never allocates more than the records that really arrive.
    const int count = byteCount / kCoordinateItemBytes;
    std::vector<TCoordinateItem> items;
    if (left >= 0)
        items.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const QByteArray record = reader.Read(kCoordinateItemBytes);
        if (record.size() < kCoordinateItemBytes)
            ThrowInvalid(stream, QStringLiteral("the file ends after %1 of %2 points").arg(i).arg(count));
        items.push_back(DecodeItem(stream, record, i));
    }
    FItems = std::move(items);
    ContentChanged();
}

TCoordinates &TCoordinates::operator=(const TCoordinates &other)
{
    if (this != &other) {
        FItems = other.FItems;
        ContentChanged();
    }
    return *this;
}

TCoordinates::~TCoordinates() = default;

void TCoordinates::Clear()
{
    FItems.clear();
    FItems.shrink_to_fit();
    ContentChanged();
}

void TCoordinates::Add(const TCoordinateItem &item)
{
    const TCoordinateItem copy = item; // item may live in FItems, which may reallocate
    FItems.push_back(copy);
    ContentChanged();
}

TCoordinateItem TCoordinates::GetItem(int index) const
{
    return FItems.at(size_t(index));
}

void TCoordinates::Sort(int key)
{
    if (key != 0 && key != 1)
        return;
    long double TCoordinateItem::*field = key == 0 ? &TCoordinateItem::Latitude : &TCoordinateItem::Longitude;
    // Stable: records with equal keys keep their order, exactly as an exchange sort that
    // swaps only strictly greater neighbours would leave them.
    std::stable_sort(FItems.begin(), FItems.end(),
                     [field](const TCoordinateItem &a, const TCoordinateItem &b) { return a.*field < b.*field; });
    ContentChanged();
}

QPoint TCoordinates::GeoToPixel(long double longitude, long double latitude) const
{
    QPoint pixel(-1, -1);
    const std::shared_ptr<const TInterpolationPairs> pairs = Pairs();
    const int32_t x = PassPixel(InterpolatePass(pairs->Column, {longitude, latitude}));
    if (x < 0)
        return pixel;
    pixel.setX(x);
    pixel.setY(PassPixel(InterpolatePass(pairs->Row, {latitude, longitude})));
    return pixel;
}

std::optional<TMapPoint> TCoordinates::MapPoint(const TGeoPosition &position) const
{
    const TMapPoint estimate = Pairs()->Estimates(position);
    if (!PlacesPixel(estimate.X) || !PlacesPixel(estimate.Y))
        return std::nullopt;
    return estimate;
}

std::optional<TGeoPosition> TCoordinates::PixelToGeo(TMapPoint point) const
{
    const std::optional<TPixelPosition> found = PixelPosition(point);
    if (!found)
        return std::nullopt;
    return found->Position;
}

std::optional<TPixelPosition> TCoordinates::PixelPosition(TMapPoint point,
                                                          const std::optional<TNearbyPosition> &nearby) const
{
    const std::shared_ptr<const TInterpolationPairs> pairs = Pairs();
    if (!std::isfinite(point.X) || !std::isfinite(point.Y))
        return std::nullopt;
    const auto inside = [&pairs](const std::optional<TPixelPosition> &found) {
        return found && pairs->Reaches(found->Position);
    };
    if (nearby) {
        // One step along the nearby position's slope: where the map is linear, the answer.
        const TDegreesPerPixel &slope = nearby->Found.Slope;
        const long double dx = point.X - nearby->Point.X, dy = point.Y - nearby->Point.Y;
        const TGeoPosition start{
            nearby->Found.Position.Latitude + slope.AlongX.Latitude * dx + slope.AlongY.Latitude * dy,
            nearby->Found.Position.Longitude + slope.AlongX.Longitude * dx + slope.AlongY.Longitude * dy};
        if (std::optional<TPixelPosition> found = SolveForPixel(*pairs, point, start, slope); inside(found))
            return found;
    }
    std::optional<TPixelPosition> found = SolveForPixel(*pairs, point, StartPosition(*pairs, point), std::nullopt);
    if (!inside(found))
        return std::nullopt;
    return found;
}

bool TCoordinates::Reaches(const TGeoPosition &position) const
{
    return Pairs()->Reaches(position);
}

std::shared_ptr<const TInterpolationPairs> TCoordinates::Pairs() const
{
    const std::lock_guard<std::mutex> lock(FPairsLock);
    if (FPairs)
        return FPairs;
    // The conversion's working copy: sorted by Latitude, the points of one parallel stand
    // together in their stored order; sorted by Longitude after that, the points of one
    // meridian stand in ascending Latitude.
    TCoordinates work;
    work.FItems = FItems;
    auto pairs = std::make_shared<TInterpolationPairs>();
    work.Sort(0);
    pairs->Column = PassPairs(work.FItems, kColumnPass);
    work.Sort(1);
    pairs->Row = PassPairs(work.FItems, kRowPass);
    pairs->Longitudes = AlongRange(pairs->Column);
    pairs->Latitudes = AlongRange(pairs->Row);
    pairs->Points = FItems;
    FPairs = pairs;
    return FPairs;
}

void TCoordinates::ContentChanged()
{
    const std::lock_guard<std::mutex> lock(FPairsLock);
    FPairs.reset();
}
