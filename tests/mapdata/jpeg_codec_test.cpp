#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

#include "map_test_support.h"
#include "base/errors.h"
#include "mapdata/jpeg_codec.h"

namespace {

// The marker codes of a JPEG stream up to the start of the scan.
std::vector<int> MarkersBeforeScan(const QByteArray &jpeg)
{
    std::vector<int> markers;
    int i = 2; // after SOI
    while (i + 4 <= jpeg.size() && uchar(jpeg[i]) == 0xFF) {
        const int marker = uchar(jpeg[i + 1]);
        markers.push_back(marker);
        if (marker == 0xDA)
            break;
        i += 2 + (uchar(jpeg[i + 2]) << 8 | uchar(jpeg[i + 3]));
    }
    return markers;
}

bool Has(const std::vector<int> &markers, int marker)
{
    return std::find(markers.begin(), markers.end(), marker) != markers.end();
}

} // namespace

// Guards against a saved file that is progressive, lacks JFIF, or loses its colours.
TEST(EncodeJpeg, WritesBaselineJfifThatDecodesBack)
{
    const QImage picture = TestPicture(123, 77);
    const QByteArray jpeg = EncodeJpeg(picture);
    ASSERT_TRUE(jpeg.startsWith("\xFF\xD8\xFF\xE0"));
    EXPECT_EQ(jpeg.mid(6, 5), QByteArray("JFIF", 5));
    const std::vector<int> markers = MarkersBeforeScan(jpeg);
    EXPECT_TRUE(Has(markers, 0xC0)) << "baseline frame (SOF0) expected";
    EXPECT_FALSE(Has(markers, 0xC2)) << "progressive frame (SOF2) found";

    TJpegDecoder decoder;
    QImage decoded;
    decoder.Decode(reinterpret_cast<const uint8_t *>(jpeg.constData()), size_t(jpeg.size()), decoded);
    ASSERT_EQ(decoded.size(), picture.size());
    EXPECT_EQ(decoded.format(), QImage::Format_RGB32);
    EXPECT_LT(MeanDifference(decoded, picture), 3.0);
}

// Guards against Huffman tables left at the standard ones (bigger files than the viewer writes).
TEST(EncodeJpeg, UsesOptimisedHuffmanTables)
{
    const QImage picture = TestPicture(200, 150);
    const QByteArray optimised = EncodeJpeg(picture, 70);
    // The standard tables are what Qt's own writer uses at the same quality without optimisation.
    QByteArray standard;
    QBuffer buffer(&standard);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(70);
    if (!writer.write(picture))
        GTEST_SKIP() << "Qt's JPEG writer is not available";
    EXPECT_LT(optimised.size(), standard.size());
}

// Guards against an encoder that mangles a non-RGB32 or greyscale source.
TEST(EncodeJpeg, AcceptsOtherFormatsAndRefusesEmptyPictures)
{
    const QImage grey = TestPicture(40, 30).convertToFormat(QImage::Format_Grayscale8);
    const QByteArray jpeg = EncodeJpeg(grey);
    TJpegDecoder decoder;
    QImage decoded;
    decoder.Decode(reinterpret_cast<const uint8_t *>(jpeg.constData()), size_t(jpeg.size()), decoded);
    EXPECT_LT(MeanDifference(decoded, grey), 3.0);
    EXPECT_THROW(EncodeJpeg(QImage()), TovralError);
}

// Guards against greyscale tiles coming out as garbage or being refused.
TEST(JpegDecoder, DecodesGreyscaleStreamsToColour)
{
    const QImage grey = TestPicture(64, 48).convertToFormat(QImage::Format_Grayscale8);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, "jpeg").write(grey))
        GTEST_SKIP() << "Qt's JPEG writer is not available";
    TJpegDecoder decoder;
    QImage decoded;
    decoder.Decode(reinterpret_cast<const uint8_t *>(jpeg.constData()), size_t(jpeg.size()), decoded);
    EXPECT_EQ(decoded.format(), QImage::Format_RGB32);
    EXPECT_LT(MeanDifference(decoded, grey), 3.0);
    EXPECT_EQ(qAlpha(decoded.pixel(10, 10)), 255);
}

// Guards against corrupt streams being drawn: errors and warnings (a truncated stream only
// warns in libjpeg) both refuse, a size other than expected is refused, and the decoder
// stays usable afterwards.
TEST(JpegDecoder, RefusesBadStreamsAndStaysUsable)
{
    const QImage picture = TestPicture(96, 64);
    const QByteArray good = EncodeJpeg(picture);
    const struct {
        const char *Case;
        QByteArray Bytes;
        int ExpectedWidth, ExpectedHeight;
    } cases[] = {
        {"empty", QByteArray(), 0, 0},
        {"junk", QByteArray(500, 'x'), 0, 0},
        {"truncated", good.left(good.size() / 2), 0, 0},
        {"header only", good.left(good.indexOf("\xFF\xDA")), 0, 0},
        {"wrong width", good, 95, 64},
        {"wrong height", good, 96, 65},
    };
    TJpegDecoder decoder;
    QImage decoded;
    for (const auto &c : cases) {
        EXPECT_THROW(decoder.Decode(reinterpret_cast<const uint8_t *>(c.Bytes.constData()),
                                    size_t(c.Bytes.size()), decoded, c.ExpectedWidth, c.ExpectedHeight),
                     TovralError)
            << c.Case;
        decoder.Decode(reinterpret_cast<const uint8_t *>(good.constData()), size_t(good.size()), decoded, 96, 64);
        EXPECT_LT(MeanDifference(decoded, picture), 3.0) << "after " << c.Case;
    }
}

// Guards against a header that claims a huge picture making the decoder allocate it.
TEST(JpegDecoder, RefusesAbsurdSizesBeforeAllocating)
{
    QByteArray jpeg = EncodeJpeg(TestPicture(16, 16));
    const int sof = jpeg.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    jpeg[sof + 5] = char(0xFF); // height 0xFF10
    jpeg[sof + 7] = char(0xFF); // width 0xFF10
    TJpegDecoder decoder;
    QImage decoded;
    try {
        decoder.Decode(reinterpret_cast<const uint8_t *>(jpeg.constData()), size_t(jpeg.size()), decoded);
        FAIL() << "a 65296 x 65296 picture was accepted";
    } catch (const TovralError &error) {
        EXPECT_TRUE(error.Message().contains("too large")) << error.what();
    }
    EXPECT_TRUE(decoded.isNull());
}

// Guards against a save that fails half-way leaving a partial file or destroying the old one
// (a disk that fills up: the file size limit makes every write past 1 KiB fail). A small
// picture is written from the file's buffer only when the file is committed, a large one
// straight away; both failures must be seen.
TEST(SaveJpegFile, FailedWriteKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = WriteFile(dir, "map.jpg", "old contents");
    std::signal(SIGXFSZ, SIG_IGN);
    for (const QImage &picture : {NoisePicture(60, 60), NoisePicture(400, 300)}) {
        ASSERT_GT(EncodeJpeg(picture, 70).size(), 1024);
        rlimit old;
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit tight = old;
        tight.rlim_cur = 1024;
        setrlimit(RLIMIT_FSIZE, &tight);
        EXPECT_THROW(SaveJpegFile(picture, path), TovralError) << picture.width();
        setrlimit(RLIMIT_FSIZE, &old);

        EXPECT_EQ(ReadAll(path), QByteArray("old contents"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"map.jpg"});
    }
}

// Guards against a save into a folder that cannot be written destroying the existing file.
TEST(SaveJpegFile, ReadOnlyFolderKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = WriteFile(dir, "map.jpg", "old contents");
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool writable = access(QFile::encodeName(dir.path()).constData(), W_OK) == 0;
    if (!writable) {
        EXPECT_THROW(SaveJpegFile(TestPicture(50, 50), path), TovralError);
    }
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (writable)
        GTEST_SKIP() << "this user can write into read-only folders";
    EXPECT_EQ(ReadAll(path), QByteArray("old contents"));
}

// Guards against an overwrite that does not replace the file or leaves its temporary behind.
TEST(SaveJpegFile, ReplacesAnExistingFile)
{
    QTemporaryDir dir;
    const QString path = WriteFile(dir, "map.jpg", "old contents");
    SaveJpegFile(TestPicture(50, 40), path);
    const QImage saved(path);
    EXPECT_EQ(saved.size(), QSize(50, 40));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"map.jpg"});
}
