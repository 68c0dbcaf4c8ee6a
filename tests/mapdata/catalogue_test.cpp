#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/errors.h"
#include "mapdata/app_path.h"
#include "mapdata/catalogue.h"
#include "tools/catalogue_writer.h"

namespace {
const QChar kTab = QLatin1Char('\t');

QString Row(const QString &code, const QString &name, const QString &latitude = QStringLiteral("-233000"),
            const QString &longitude = QStringLiteral("-463000"))
{
    return code + kTab + name + kTab + latitude + kTab + longitude;
}

TSortedStrings Sorted(const QStringList &lines, bool ignoreDuplicates = false)
{
    TSortedStrings list(ignoreDuplicates);
    list.Assign(lines);
    return list;
}

QStringList ToList(const TSortedStrings &list)
{
    return QStringList(list.Items().begin(), list.Items().end());
}
} // namespace

// Case, including accented capitals, never decides an order.
TEST(CatalogueCompare, IgnoresCase)
{
    EXPECT_EQ(CatalogueCompare(QStringLiteral("são paulo"), QStringLiteral("SÃO PAULO")), 0);
    EXPECT_EQ(CatalogueCompare(QStringLiteral("çÉÍ"), QStringLiteral("ÇéÍ")), 0);
    EXPECT_NE(CatalogueCompare(QStringLiteral("SAO"), QStringLiteral("SÃO")), 0);
}

// A code sorts before its own rows, and TAB sorts below blanks and letters, so a state's rows
// stay together and a name's row comes before longer names that begin with it.
TEST(CatalogueCompare, PrefixAndTabOrder)
{
    const QString tabbed = QStringLiteral("SP\tSANTOS");
    EXPECT_LT(CatalogueCompare(QStringLiteral("SP"), tabbed), 0);
    EXPECT_LT(CatalogueCompare(tabbed, QStringLiteral("SPA")), 0);
    EXPECT_LT(CatalogueCompare(QStringLiteral("A\t"), QStringLiteral("A ")), 0);
    EXPECT_LT(CatalogueCompare(QStringLiteral("A "), QStringLiteral("AA")), 0);
    EXPECT_LT(CatalogueCompare(QStringLiteral("A\t"), QStringLiteral("A-")), 0);
    EXPECT_LT(CatalogueCompare(QStringLiteral("A\t"), QStringLiteral("A0")), 0);
    EXPECT_LT(CatalogueCompare(QStringLiteral("SP\tNAME\t"), QStringLiteral("sp\tName\t-1\t-2")), 0);
}

// Accents weigh below letters: typing without accents still lands among the accented names.
TEST(CatalogueCompare, AccentsWeighBelowLetters)
{
    const TSortedStrings names =
        Sorted({QStringLiteral("SÃO BENTO"), QStringLiteral("SANTOS"), QStringLiteral("SAO"), QStringLiteral("SÃO"),
                QStringLiteral("SAPÉ")});
    EXPECT_EQ(ToList(names), (QStringList{QStringLiteral("SANTOS"), QStringLiteral("SAO"), QStringLiteral("SÃO"),
                                          QStringLiteral("SÃO BENTO"), QStringLiteral("SAPÉ")}));
}

// Find is a lower bound: an equal entry, else the insertion point, else Count().
TEST(TSortedStrings, FindIsALowerBound)
{
    const TSortedStrings list = Sorted({QStringLiteral("BAURU"), QStringLiteral("ARARAS"), QStringLiteral("CAMPINAS")});
    EXPECT_EQ(list.Find(QStringLiteral("bauru")), 1);
    EXPECT_EQ(list.Find(QStringLiteral("B")), 1);
    EXPECT_EQ(list.Find(QStringLiteral("BAURUZ")), 2);
    EXPECT_EQ(list.Find(QStringLiteral("A")), 0);
    EXPECT_EQ(list.Find(QStringLiteral("ZZZ")), 3);
    EXPECT_EQ(TSortedStrings().Find(QStringLiteral("A")), 0);
}

// With duplicates ignored an entry equal in any case is not added again; otherwise equal
// entries keep the order in which they came, in Add and in Assign alike.
TEST(TSortedStrings, DuplicatesAndStability)
{
    TSortedStrings unique(true);
    EXPECT_EQ(unique.Add(QStringLiteral("Sp")), 0);
    EXPECT_EQ(unique.Add(QStringLiteral("AC")), 0);
    EXPECT_EQ(unique.Add(QStringLiteral("SP")), 1);
    EXPECT_EQ(unique.Add(QStringLiteral("sp")), 1);
    EXPECT_EQ(ToList(unique), (QStringList{QStringLiteral("AC"), QStringLiteral("Sp")}));

    TSortedStrings all;
    all.Add(QStringLiteral("b1"));
    all.Add(QStringLiteral("x"));
    EXPECT_EQ(all.Add(QStringLiteral("B1")), 1);
    EXPECT_EQ(ToList(all), (QStringList{QStringLiteral("b1"), QStringLiteral("B1"), QStringLiteral("x")}));

    const QStringList lines{QStringLiteral("sp\tb"), QStringLiteral("SP\tA"), QStringLiteral("Sp\tB"),
                            QStringLiteral("sP\ta")};
    EXPECT_EQ(ToList(Sorted(lines)), (QStringList{lines[1], lines[3], lines[0], lines[2]}));
    EXPECT_EQ(ToList(Sorted(lines, true)), (QStringList{lines[1], lines[0]}));
}

// Every Portuguese letter and every byte survive a Windows-1252 round trip.
TEST(Cp1252, RoundTrip)
{
    const QString accented = QStringLiteral("áàâãéêíóôõúüçÁÀÂÃÉÊÍÓÔÕÚÜÇºª€");
    const QByteArray encoded = EncodeCp1252(accented);
    EXPECT_EQ(encoded.size(), accented.size());
    EXPECT_EQ(encoded.at(0), char(0xE1));
    EXPECT_EQ(encoded.back(), char(0x80));
    EXPECT_EQ(DecodeCp1252(encoded), accented);

    QByteArray allBytes;
    for (int byte = 0; byte < 256; ++byte)
        allBytes += char(byte);
    const QString decoded = DecodeCp1252(allBytes);
    EXPECT_EQ(decoded[0x9D], QChar(0x9D));
    EXPECT_EQ(decoded[0x92], QChar(0x2019));
    EXPECT_EQ(EncodeCp1252(decoded), allBytes);

    EXPECT_EQ(EncodeCp1252(QStringLiteral("a€\u4E2D\U0001F600b")), QByteArray("a\x80??b"));
}

class CatalogueFile : public ::testing::Test {
protected:
    QString Write(const QByteArray &bytes)
    {
        const QString path = dir.filePath(QStringLiteral("cat.txt"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return path;
    }
    QTemporaryDir dir;
};

// CR LF, CR and LF each end one line; a last line without end counts, a final end adds none.
TEST_F(CatalogueFile, LineEnds)
{
    EXPECT_EQ(ReadCatalogueLines(Write("a\r\nb\rc\nd")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    EXPECT_EQ(ReadCatalogueLines(Write("a\r\n\r\n\n\rb\r\n")),
              (QStringList{QStringLiteral("a"), QString(), QString(), QString(), QStringLiteral("b")}));
    EXPECT_EQ(ReadCatalogueLines(Write("\xc9vora\n")), QStringList{QStringLiteral("Évora")});
    EXPECT_TRUE(ReadCatalogueLines(Write("")).isEmpty());
    EXPECT_EQ(ReadCatalogueLines(Write("\n")), QStringList{QString()});
}

// The writer produces what the reader reads back, as Windows-1252 with CR LF.
TEST_F(CatalogueFile, WriterRoundTrip)
{
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    const QStringList lines{QStringLiteral("sp=São Paulo"), QString(), QStringLiteral("pa=Pará")};
    WriteCatalogueFile(path, lines);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("sp=S\xe3o Paulo\r\n\r\npa=Par\xe1\r\n"));
    EXPECT_EQ(ReadCatalogueLines(path), lines);
}

// A missing catalogue is reported with its path.
TEST_F(CatalogueFile, MissingFileNamesThePath)
{
    const QString path = dir.filePath(QStringLiteral("none.txt"));
    try {
        ReadCatalogueLines(path);
        FAIL() << "no error";
    } catch (const TovralError &error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Cannot open file %1: No such file or directory").arg(path));
    }
}

// Guards against a hang or unbounded work: a FIFO (which would block until a writer came),
// a device, a folder, a file larger than any catalogue and one of more lines than any
// catalogue are refused with their path.
TEST_F(CatalogueFile, RefusesWhatIsNoCatalogueFile)
{
    const QString fifo = dir.filePath(QStringLiteral("fifo.txt"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString huge = dir.filePath(QStringLiteral("huge.txt"));
    QFile sparse(huge);
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly) && sparse.resize(kMaxCatalogueBytes + 1));
    sparse.close();
    const QString manyLines = Write(QByteArray(kMaxCatalogueLines, '\n') + "last");
    for (const QString &path : {fifo, QStringLiteral("/dev/zero"), dir.path(), huge, manyLines}) {
        try {
            ReadCatalogueLines(path);
            ADD_FAILURE() << "accepted " << path.toStdString();
        } catch (const TovralError &error) {
            EXPECT_TRUE(error.Message().startsWith(QStringLiteral("Cannot "))) << error.what();
            EXPECT_TRUE(error.Message().contains(path)) << error.what();
        }
    }
    // A catalogue of exactly the most lines keeps every one of them, the last included.
    const QStringList atLimit = ReadCatalogueLines(Write(QByteArray(kMaxCatalogueLines - 1, '\n') + "last"));
    ASSERT_EQ(atLimit.size(), kMaxCatalogueLines);
    EXPECT_EQ(atLimit.back(), QStringLiteral("last"));
}

// Display names, codes and the next code, with lower-case and repeated codes in the file.
TEST(TUFCatalogue, NamesAndNextCode)
{
    TUFCatalogue ufs;
    ufs.Load({QStringLiteral("sp=São Paulo"), QStringLiteral("AC = Acre"), QStringLiteral("rj"),
              QStringLiteral("SP=Outra"), QStringLiteral("x")});
    EXPECT_EQ(ufs.DisplayName(0), QStringLiteral("São Paulo"));
    EXPECT_EQ(ufs.DisplayName(1), QStringLiteral(" Acre"));
    EXPECT_EQ(ufs.DisplayName(2), QStringLiteral("rj"));
    EXPECT_EQ(ufs.CodeOf(0), QStringLiteral("SP"));
    EXPECT_EQ(ufs.CodeOf(4), QStringLiteral("X"));
    EXPECT_EQ(ufs.CodeOf(5), QString());
    EXPECT_EQ(ufs.Codes().Count(), 4);
    EXPECT_EQ(ufs.NextUFCode(QStringLiteral("AC")), QStringLiteral("rj"));
    EXPECT_EQ(ufs.NextUFCode(QStringLiteral("RJ")), QStringLiteral("sp"));
    EXPECT_EQ(ufs.NextUFCode(QStringLiteral("SP")), QStringLiteral("x"));
    EXPECT_EQ(ufs.NextUFCode(QStringLiteral("X")), QString());
}

class CityCatalogue : public ::testing::Test {
protected:
    void SetUp() override
    {
        ufs.Load({QStringLiteral("sp=São Paulo"), QStringLiteral("AC=Acre"), QStringLiteral("rj=Rio de Janeiro")});
        rows.Assign({Row(QStringLiteral("rj"), QStringLiteral("NITERÓI")), Row(QStringLiteral("SP"), QStringLiteral("Santos")),
                     Row(QStringLiteral("ac"), QStringLiteral("RIO BRANCO")), Row(QStringLiteral("sp"), QStringLiteral("SÃO PAULO")),
                     // MG is missing from the state catalogue: its rows fall into the block before.
                     Row(QStringLiteral("MG"), QStringLiteral("BELO HORIZONTE")),
                     Row(QStringLiteral("SP"), QStringLiteral("santos"), QStringLiteral("-235800")),
                     Row(QStringLiteral("sp"), QStringLiteral("SANTOS DUMONT")), Row(QStringLiteral("Rj"), QStringLiteral("Paraty"))});
    }
    TCityBlock Block(const QString &code) const { return StateCityBlock(rows, code, ufs.NextUFCode(code)); }
    QStringList Names(const QString &code) const { return ToList(StateCityNames(rows, Block(code))); }

    TUFCatalogue ufs;
    TSortedStrings rows;
};

// Each state's block holds exactly its rows, whatever the case of the codes.
TEST_F(CityCatalogue, StateBlocks)
{
    EXPECT_EQ(Names(QStringLiteral("AC")), (QStringList{QStringLiteral("BELO HORIZONTE"), QStringLiteral("RIO BRANCO")}));
    EXPECT_EQ(Names(QStringLiteral("RJ")), (QStringList{QStringLiteral("NITERÓI"), QStringLiteral("PARATY")}));
    // SP sorts last: its block runs to the end of the catalogue; the two SANTOS rows give one name.
    const TCityBlock sp = Block(QStringLiteral("SP"));
    EXPECT_EQ(sp.End, rows.Count());
    EXPECT_EQ(sp.First, 4);
    EXPECT_EQ(Names(QStringLiteral("SP")),
              (QStringList{QStringLiteral("SANTOS"), QStringLiteral("SANTOS DUMONT"), QStringLiteral("SÃO PAULO")}));
}

// A code the city catalogue lacks gives an empty block.
TEST(StateCityBlock, CodeWithoutRows)
{
    TSortedStrings rows;
    rows.Assign({Row(QStringLiteral("AC"), QStringLiteral("X")), Row(QStringLiteral("SP"), QStringLiteral("Y"))});
    const TCityBlock block = StateCityBlock(rows, QStringLiteral("PA"), QStringLiteral("AC"));
    EXPECT_EQ(block.First, block.End);
}

// The key built from the display name finds the first row of that city, not a longer name.
TEST_F(CityCatalogue, CityRowKeyFindsTheCityRow)
{
    const int santos = rows.Find(CityRowKey(QStringLiteral("SP"), QStringLiteral("Santos")));
    EXPECT_EQ(rows[santos], Row(QStringLiteral("SP"), QStringLiteral("Santos")));
    const int dumont = rows.Find(CityRowKey(QStringLiteral("SP"), QStringLiteral("Santos Dumont")));
    EXPECT_EQ(RowCityName(rows[dumont]), QStringLiteral("SANTOS DUMONT"));
    const int saoPaulo = rows.Find(CityRowKey(QStringLiteral("SP"), QStringLiteral("São Paulo")));
    EXPECT_EQ(RowCityName(rows[saoPaulo]), QStringLiteral("SÃO PAULO"));
}

// Field 2 needs both TABs around it; coordinates come from the last two fields only.
TEST(CityRow, NameAndCoordinateFields)
{
    EXPECT_EQ(RowCityName(QStringLiteral("SP\tSANTOS\t1\t2")), QStringLiteral("SANTOS"));
    EXPECT_EQ(RowCityName(QStringLiteral("SP\tSANTOS")), QString());
    EXPECT_EQ(RowCityName(QStringLiteral("SANTOS")), QString());

    const auto coordinates = [](const QString &row) {
        const TRowCoordinates texts = ReadRowCoordinates(row);
        return QStringList{texts.Latitude, texts.Longitude};
    };
    EXPECT_EQ(coordinates(QStringLiteral("SP SANTOS")), (QStringList{QString(), QString()}));
    EXPECT_EQ(coordinates(QStringLiteral("SP\tSANTOS")), (QStringList{QString(), QStringLiteral("SANTOS")}));
    EXPECT_EQ(coordinates(QStringLiteral("\t-463000")), (QStringList{QString(), QStringLiteral("-463000")}));
    EXPECT_EQ(coordinates(QStringLiteral("\t\t")), (QStringList{QString(), QString()}));
    EXPECT_EQ(coordinates(QStringLiteral("SP\tSANTOS\textra\t-235800\t-462000")),
              (QStringList{QStringLiteral("-235800"), QStringLiteral("-462000")}));
    EXPECT_EQ(coordinates(QStringLiteral("SP\tSANTOS\t-235800\t")), (QStringList{QStringLiteral("-235800"), QString()}));
}

// AppPath is the running executable's folder, set before main, so data paths never depend
// on the working folder.
TEST(AppPath, IsTheExecutablesFolder)
{
    ASSERT_TRUE(AppPath.endsWith(QLatin1Char('/')));
    EXPECT_TRUE(QFileInfo::exists(AppPath + QStringLiteral("tovral_mapdata_tests")));
    EXPECT_EQ(DataPath(QStringLiteral("txt/ufs.txt")), AppPath + QStringLiteral("img/txt/ufs.txt"));
}
