#pragma once

// Reduces a picture that arrives band by band by the ratio Numerator / Denominator, each
// reduced pixel the area average of the full pixels it covers, and hands the reduced picture
// on in bands of a fixed height. Only a few rows are held at a time.

#include <QImage>
#include <functional>
#include <vector>

class TAreaReducer {
public:
    static constexpr int kNumerator = 2, kDenominator = 5;

    // fullWidth and fullHeight must be multiples of kDenominator. onBand receives reduced bands
    // of bandHeight rows (fewer for the last one), top to bottom.
    TAreaReducer(int fullWidth, int fullHeight, int bandHeight, std::function<void(const QImage &)> onBand);

    // Length of a reduced side.
    static int Reduced(int fullSide) { return fullSide / kDenominator * kNumerator; }
    // A band of full rows, full width, continuing where the previous one ended.
    void AddBand(const QImage &band);

private:
    void AddRow(const QRgb *row);
    void EmitReducedRow(const std::vector<float> &row);

    int FFullWidth, FReducedWidth, FReducedHeight, FBandHeight;
    std::function<void(const QImage &)> FEmit;
    // weights[j][i]: share of full pixel i (of a block of kDenominator) in reduced pixel j.
    float FWeights[kNumerator][kDenominator];
    std::vector<std::vector<float>> FBlockRows; // horizontally reduced rows of the current block
    QImage FReducedBand;
    int FReducedRowsInBand = 0;
    int FReducedRowsDone = 0;
};
