#include "tools/mkdata/light_reducer.h"

#include <algorithm>

#include "base/errors.h"

TAreaReducer::TAreaReducer(int fullWidth, int fullHeight, int bandHeight, std::function<void(const QImage &)> onBand)
    : FFullWidth(fullWidth), FReducedWidth(Reduced(fullWidth)),
      FReducedHeight(Reduced(fullHeight)), FBandHeight(bandHeight), FEmit(std::move(onBand))
{
    if (fullWidth % kDenominator != 0 || fullHeight % kDenominator != 0)
        throw TovralError(QStringLiteral("The light map needs a full map whose sides are multiples of %1")
                              .arg(kDenominator));
    // Reduced pixel j covers [j, j + 1) * kDenominator / kNumerator of the block.
    const float span = float(kDenominator) / kNumerator;
    for (int j = 0; j < kNumerator; ++j)
        for (int i = 0; i < kDenominator; ++i) {
            const float overlap = std::min<float>(i + 1, (j + 1) * span) - std::max<float>(i, j * span);
            FWeights[j][i] = std::max(0.0f, overlap) / span;
        }
    FReducedBand = QImage(FReducedWidth, std::min(FBandHeight, FReducedHeight), QImage::Format_RGB32);
}

void TAreaReducer::AddBand(const QImage &band)
{
    const QImage rows = band.format() == QImage::Format_RGB32 ? band : band.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rows.height(); ++y)
        AddRow(reinterpret_cast<const QRgb *>(rows.constScanLine(y)));
}

void TAreaReducer::AddRow(const QRgb *row)
{
    std::vector<float> reduced(size_t(FReducedWidth) * 3, 0.0f);
    for (int block = 0; block < FFullWidth / kDenominator; ++block)
        for (int i = 0; i < kDenominator; ++i) {
            const QRgb pixel = row[block * kDenominator + i];
            for (int j = 0; j < kNumerator; ++j) {
                const float w = FWeights[j][i];
                if (w == 0)
                    continue;
                float *out = &reduced[size_t(block * kNumerator + j) * 3];
                out[0] += w * qRed(pixel);
                out[1] += w * qGreen(pixel);
                out[2] += w * qBlue(pixel);
            }
        }
    FBlockRows.push_back(std::move(reduced));
    if (int(FBlockRows.size()) < kDenominator)
        return;
    for (int j = 0; j < kNumerator; ++j) {
        std::vector<float> out(size_t(FReducedWidth) * 3, 0.0f);
        for (int i = 0; i < kDenominator; ++i) {
            const float w = FWeights[j][i];
            if (w == 0)
                continue;
            for (size_t k = 0; k < out.size(); ++k)
                out[k] += w * FBlockRows[size_t(i)][k];
        }
        EmitReducedRow(out);
    }
    FBlockRows.clear();
}

void TAreaReducer::EmitReducedRow(const std::vector<float> &row)
{
    QRgb *out = reinterpret_cast<QRgb *>(FReducedBand.scanLine(FReducedRowsInBand));
    auto channel = [](float value) { return std::clamp(int(value + 0.5f), 0, 255); };
    for (int x = 0; x < FReducedWidth; ++x)
        out[x] = qRgb(channel(row[size_t(x) * 3]), channel(row[size_t(x) * 3 + 1]), channel(row[size_t(x) * 3 + 2]));
    ++FReducedRowsInBand;
    ++FReducedRowsDone;
    if (FReducedRowsInBand == FReducedBand.height()) {
        FEmit(FReducedBand);
        FReducedRowsInBand = 0;
        const int remaining = FReducedHeight - FReducedRowsDone;
        if (remaining > 0 && remaining < FReducedBand.height())
            FReducedBand = QImage(FReducedWidth, remaining, QImage::Format_RGB32);
    }
}
