// The two catalogue readers on arbitrary bytes (a state catalogue and a city catalogue read
// from files), then what the windows do with them: each state's block of city rows, its city
// names, and the look-up of each city's row and coordinates.
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>

#include "fuzz_input.h"
#include "mapdata/catalogue.h"
#include "mapdata/names.h"

namespace {

// Bounds that keep one run fast whatever the input holds.
constexpr int kMaxStates = 8;
constexpr int kMaxCitiesPerState = 16;

std::unique_ptr<QTemporaryDir> Folder;

QStringList ReadThroughFile(const QString &name, const QByteArray &bytes)
{
    const QString path = Folder->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        FuzzCheck(false, "the catalogue can be written to the temporary folder");
    file.close();
    return ReadCatalogueLines(path);
}

void LookUpCities(const TSortedStrings &cityRows, const QString &code, const TCityBlock &block)
{
    const TSortedStrings names = StateCityNames(cityRows, block);
    for (int i = 0; i < std::min(names.Count(), kMaxCitiesPerState); ++i) {
        const int row = cityRows.Find(CityRowKey(code, CapitalizeName(names[i])));
        FuzzCheck(row >= 0 && row <= cityRows.Count(), "Find gives a position inside the list");
        if (row == cityRows.Count())
            continue;
        const TRowCoordinates texts = ReadRowCoordinates(cityRows[row]);
        ParseDMS(texts.Latitude);
        ParseDMS(texts.Longitude);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    Folder = std::make_unique<QTemporaryDir>();
    FuzzCheck(Folder->isValid(), "a temporary folder exists");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TFuzzInput input(data, size);
    const QByteArray ufBytes = input.Take(size_t(input.Int(0, 255)));
    const QByteArray cityBytes = input.Rest();
    FuzzCheck(EncodeCp1252(DecodeCp1252(cityBytes)) == cityBytes, "every catalogue byte survives a round trip");

    TUFCatalogue states;
    states.Load(ReadThroughFile(QStringLiteral("ufs.txt"), ufBytes));
    TSortedStrings cityRows;
    cityRows.Assign(ReadThroughFile(QStringLiteral("cidades.txt"), cityBytes));

    for (int i = 0; i < std::min<int>(states.Lines().size(), kMaxStates); ++i) {
        states.DisplayName(i);
        const QString code = states.CodeOf(i);
        const TCityBlock block = StateCityBlock(cityRows, code, states.NextUFCode(code));
        FuzzCheck(0 <= block.First && block.First <= block.End && block.End <= cityRows.Count(),
                  "a state's block lies inside the catalogue");
        LookUpCities(cityRows, code, block);
    }
    return 0;
}
