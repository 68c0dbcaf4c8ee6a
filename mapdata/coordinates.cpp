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

// The blended pixel estimate of a pass over items (sorted so that the pairs stand next to
// each other); 0 when no pair gave an estimate.
long double InterpolatePass(const std::vector<TCoordinateItem> &items, const TPassAxes &axes, const TPassPoint &position)
{
    long double running = 0; // 0: no estimate yet
    TPassPoint first;        // midpoint of the pair that gave the first estimate
    for (size_t i = 1; i < items.size(); ++i) {
        const TCoordinateItem &a = items[i - 1];
        const TCoordinateItem &b = items[i];
        if (b.*axes.Across != a.*axes.Across || b.*axes.Along == a.*axes.Along)
            continue;
        const long double pixelSpan = static_cast<long double>(int64_t(b.*axes.Pixel) - int64_t(a.*axes.Pixel));
        const long double estimate = std::fabs(b.*axes.Pixel + (position.Along - b.*axes.Along) * pixelSpan /
                                                                   (b.*axes.Along - a.*axes.Along));
        const TPassPoint midpoint{(a.*axes.Along + b.*axes.Along) / 2, b.*axes.Across};
        if (running == 0) {
            running = estimate;
            first = midpoint;
            continue;
        }
        const long double dS = Distance(position, first);
        const long double dM = Distance(position, midpoint);
        // On both midpoints at once the weights vanish: the running value stands.
        if (dS + dM != 0)
            running = (running * dS + estimate * dM) / (dS + dM);
    }
    return running;
}

// The pass estimate rounded half to even, or -1 when there is none or it is no int32 pixel.
int32_t PassPixel(long double estimate)
{
    if (!(estimate != 0 && estimate <= std::numeric_limits<int32_t>::max()))
        return -1;
    return int32_t(std::lrintl(estimate));
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
}

void TCoordinates::Clear()
{
    FItems.clear();
    FItems.shrink_to_fit();
}

void TCoordinates::Add(const TCoordinateItem &item)
{
    const TCoordinateItem copy = item; // item may live in FItems, which may reallocate
    FItems.push_back(copy);
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
}

QPoint TCoordinates::GeoToPixel(long double longitude, long double latitude) const
{
    QPoint pixel(-1, -1);
    TCoordinates work;
    work.FItems = FItems;

    work.Sort(0);
    const int32_t x = PassPixel(InterpolatePass(work.FItems, kColumnPass, {longitude, latitude}));
    if (x < 0)
        return pixel;
    pixel.setX(x);

    // After the column pass the points of one meridian stand in ascending Latitude.
    work.Sort(1);
    pixel.setY(PassPixel(InterpolatePass(work.FItems, kRowPass, {latitude, longitude})));
    return pixel;
}
