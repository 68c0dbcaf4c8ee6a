#include "mapdata/jpeg_codec.h"

#include <QtEndian>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include "base/errors.h"
#include "mapdata/output_file.h"

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to the
// setjmp of the function that called into the library. Those functions (ReadHeader,
// ReadPixels, CompressImage) hold only plain data, so the jump skips no C++ destructor; the
// C++ side turns their false result into an exception.

namespace {

// Largest picture the decoder accepts, whatever a stream's header claims: far above any map
// tile, small enough that the bitmap is allocated without trouble.
constexpr unsigned kMaxDecodedSide = 16384;
constexpr unsigned long long kMaxDecodedPixels = 64ull * 1024 * 1024;
// A progressive stream may hold any number of scans; a hostile one could keep the decoder
// busy for minutes. Real encoders write about ten.
constexpr int kMaxProgressiveScans = 500;

// The X byte of Format_RGB32 must be 0xFF; the "A" variants of the extended colour spaces
// write it so, at the same speed.
constexpr J_COLOR_SPACE kRgb32ColorSpace =
    Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRA : JCS_EXT_ARGB;

struct TJpegErrorManager {
    jpeg_error_mgr Base; // first member: libjpeg hands the callbacks a pointer to it
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

TJpegErrorManager &ErrorManagerOf(j_common_ptr info)
{
    return *reinterpret_cast<TJpegErrorManager *>(info->err);
}

[[noreturn]] void JumpOnError(j_common_ptr info)
{
    TJpegErrorManager &manager = ErrorManagerOf(info);
    manager.Base.format_message(info, manager.Message);
    std::longjmp(manager.Jump, 1);
}

// msgLevel -1 is a warning (corrupt data that libjpeg would paper over): the stream is refused
// at once. Trace messages (levels 0 and above) are ignored.
void JumpOnWarning(j_common_ptr info, int msgLevel)
{
    if (msgLevel < 0)
        JumpOnError(info);
}

void LimitProgressiveScans(j_common_ptr info)
{
    auto *decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->progressive_mode && decompress->input_scan_number > kMaxProgressiveScans) {
        TJpegErrorManager &manager = ErrorManagerOf(info);
        std::snprintf(manager.Message, sizeof manager.Message,
                      "progressive stream with more than %d scans", kMaxProgressiveScans);
        std::longjmp(manager.Jump, 1);
    }
}

void InstallErrorManager(TJpegErrorManager &manager, j_common_ptr info)
{
    info->err = jpeg_std_error(&manager.Base);
    manager.Base.error_exit = JumpOnError;
    manager.Base.emit_message = JumpOnWarning;
    manager.Message[0] = '\0';
}

QString MessageOf(const TJpegErrorManager &manager)
{
    return QString::fromLocal8Bit(manager.Message);
}

} // namespace

struct TJpegDecoder::Impl {
    jpeg_decompress_struct Info;
    TJpegErrorManager Error;
    jpeg_progress_mgr Progress;

    Impl()
    {
        std::memset(&Info, 0, sizeof Info);
        InstallErrorManager(Error, reinterpret_cast<j_common_ptr>(&Info));
        // jpeg_create_decompress only fails when out of memory, before any state exists.
        if (setjmp(Error.Jump))
            throw TovralError(QStringLiteral("Cannot create the JPEG decoder: %1").arg(MessageOf(Error)));
        jpeg_create_decompress(&Info);
        Progress.progress_monitor = LimitProgressiveScans;
        Info.progress = &Progress;
    }
    ~Impl() { jpeg_destroy_decompress(&Info); }

    // Reads the stream's header and sets the output parameters. False on any error.
    bool ReadHeader(const uint8_t *data, size_t size)
    {
        if (setjmp(Error.Jump))
            return false;
        jpeg_mem_src(&Info, data, static_cast<unsigned long>(size));
        jpeg_read_header(&Info, TRUE);
        Info.out_color_space = kRgb32ColorSpace; // greyscale streams come out as colour too
        Info.dct_method = JDCT_ISLOW;
        Info.do_fancy_upsampling = TRUE;
        Info.quantize_colors = FALSE;
        return true;
    }

    // Decodes every row into the rows of a bitmap of the header's size. False on any error.
    bool ReadPixels(uint8_t *firstRow, ptrdiff_t bytesPerLine)
    {
        if (setjmp(Error.Jump))
            return false;
        jpeg_start_decompress(&Info);
        constexpr int kRowsPerCall = 16;
        JSAMPROW rows[kRowsPerCall];
        while (Info.output_scanline < Info.output_height) {
            const JDIMENSION first = Info.output_scanline;
            const JDIMENSION count = std::min<JDIMENSION>(kRowsPerCall, Info.output_height - first);
            for (JDIMENSION i = 0; i < count; ++i)
                rows[i] = firstRow + ptrdiff_t(first + i) * bytesPerLine;
            jpeg_read_scanlines(&Info, rows, count);
        }
        jpeg_finish_decompress(&Info);
        return true;
    }

    [[noreturn]] void Fail(const QString &reason)
    {
        jpeg_abort_decompress(&Info); // ready for the next stream
        throw TovralError(reason);
    }
};

TJpegDecoder::TJpegDecoder() : FImpl(new Impl) {}

TJpegDecoder::~TJpegDecoder() { delete FImpl; }

void TJpegDecoder::Decode(const uint8_t *data, size_t size, QImage &image, int expectedWidth,
                          int expectedHeight)
{
    if (size == 0)
        throw TovralError(QStringLiteral("Invalid JPEG data: the stream is empty"));
    if (!FImpl->ReadHeader(data, size))
        FImpl->Fail(QStringLiteral("Invalid JPEG data: %1").arg(MessageOf(FImpl->Error)));

    const unsigned width = FImpl->Info.image_width;
    const unsigned height = FImpl->Info.image_height;
    if ((expectedWidth > 0 && width != unsigned(expectedWidth))
        || (expectedHeight > 0 && height != unsigned(expectedHeight)))
        FImpl->Fail(QStringLiteral("JPEG picture is %1 x %2 pixels instead of %3 x %4")
                        .arg(width).arg(height).arg(expectedWidth).arg(expectedHeight));
    if (width > kMaxDecodedSide || height > kMaxDecodedSide
        || (unsigned long long)width * height > kMaxDecodedPixels)
        FImpl->Fail(QStringLiteral("JPEG picture of %1 x %2 pixels is too large").arg(width).arg(height));

    if (image.width() != int(width) || image.height() != int(height)
        || image.format() != QImage::Format_RGB32)
        image = QImage(int(width), int(height), QImage::Format_RGB32);
    if (image.isNull())
        FImpl->Fail(QStringLiteral("Not enough memory for a JPEG picture of %1 x %2 pixels")
                        .arg(width).arg(height));

    if (!FImpl->ReadPixels(image.bits(), image.bytesPerLine()))
        FImpl->Fail(QStringLiteral("Corrupt JPEG data: %1").arg(MessageOf(FImpl->Error)));
}

namespace {

struct TJpegEncoder {
    jpeg_compress_struct Info;
    TJpegErrorManager Error;
    unsigned char *Output = nullptr; // malloc'ed by jpeg_mem_dest, freed by the destructor
    unsigned long OutputSize = 0;

    TJpegEncoder()
    {
        std::memset(&Info, 0, sizeof Info);
        InstallErrorManager(Error, reinterpret_cast<j_common_ptr>(&Info));
    }
    ~TJpegEncoder()
    {
        jpeg_destroy_compress(&Info);
        std::free(Output);
    }

    // Compresses an RGB32 bitmap; false on any error.
    bool CompressImage(const uint8_t *firstRow, ptrdiff_t bytesPerLine, int width, int height, int quality)
    {
        if (setjmp(Error.Jump))
            return false;
        jpeg_create_compress(&Info);
        jpeg_mem_dest(&Info, &Output, &OutputSize);
        Info.image_width = JDIMENSION(width);
        Info.image_height = JDIMENSION(height);
        Info.input_components = 4;
        Info.in_color_space = kRgb32ColorSpace;
        jpeg_set_defaults(&Info); // YCbCr, JFIF header, baseline
        jpeg_set_quality(&Info, quality, TRUE);
        Info.optimize_coding = TRUE;
        Info.dct_method = JDCT_ISLOW;
        jpeg_start_compress(&Info, TRUE);
        while (Info.next_scanline < Info.image_height) {
            JSAMPROW row = const_cast<uint8_t *>(firstRow) + ptrdiff_t(Info.next_scanline) * bytesPerLine;
            jpeg_write_scanlines(&Info, &row, 1);
        }
        jpeg_finish_compress(&Info);
        return true;
    }
};

} // namespace

QByteArray EncodeJpeg(const QImage &image, int quality)
{
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        throw TovralError(QStringLiteral("Cannot encode an empty picture as JPEG"));
    if (image.width() > 65500 || image.height() > 65500)
        throw TovralError(QStringLiteral("Cannot encode a picture of %1 x %2 pixels as JPEG "
                                         "(65500 pixels at most on each side)")
                              .arg(image.width()).arg(image.height()));
    const QImage rgb32 = image.format() == QImage::Format_RGB32
                             ? image
                             : image.convertToFormat(QImage::Format_RGB32);
    TJpegEncoder encoder;
    if (!encoder.CompressImage(rgb32.constBits(), rgb32.bytesPerLine(), rgb32.width(),
                               rgb32.height(), std::clamp(quality, 1, 100)))
        throw TovralError(QStringLiteral("Cannot encode the picture as JPEG: %1").arg(MessageOf(encoder.Error)));
    return QByteArray(reinterpret_cast<const char *>(encoder.Output), qsizetype(encoder.OutputSize));
}

void SaveJpegFile(const QImage &image, const QString &path, int quality)
{
    const QByteArray jpeg = EncodeJpeg(image, quality);
    TOutputFile file(path);
    file.Write(jpeg);
    file.Commit();
}
