// tovral-tool resample IN --size WxH [--filter NAME|INDEX] -o OUT.png: resizes any picture Qt
// reads with the map renderer's filtered resampler (Lanczos3 unless told otherwise) and writes
// the result as PNG. The output file appears only when it is complete.
#include <QImageReader>
#include <QRegularExpression>

#include "imaging/resample.h"
#include "mapdata/output_file.h"
#include "tools/tool_command.h"

namespace {

const QString kCommand = QStringLiteral("resample");

// The destination and the intermediate bitmap (source height × destination width) each hold at
// most this many pixels, about 200 MB at 3 bytes per pixel.
constexpr qint64 kMostPixels = qint64(1) << 26;

struct TResampleOptions {
    QString Input;
    QString Output;
    QSize Size;
    const TResampleFilterEntry *Filter = &ResampleFilterTable[kLanczos3FilterIndex];
};

QSize ParseSize(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,9})x([0-9]{1,9})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    const QSize size = match.hasMatch() ? QSize(match.captured(1).toInt(), match.captured(2).toInt()) : QSize();
    if (size.width() < 1 || size.height() < 1)
        throw ToolFailure(kCommand, QStringLiteral("--size must be WIDTHxHEIGHT in pixels, both at least 1, not \"%1\"")
                                        .arg(text));
    if (qint64(size.width()) * size.height() > kMostPixels)
        throw ToolFailure(kCommand, QStringLiteral("--size %1 is too large (at most %2 pixels)").arg(text).arg(kMostPixels));
    return size;
}

const TResampleFilterEntry *ParseFilter(const QString &text)
{
    bool isIndex = false;
    const int index = text.toInt(&isIndex);
    if (isIndex && index >= 0 && index < int(ResampleFilterTable.size()))
        return &ResampleFilterTable[index];
    QStringList names;
    for (const TResampleFilterEntry &entry : ResampleFilterTable) {
        if (text.compare(QLatin1String(entry.Name), Qt::CaseInsensitive) == 0)
            return &entry;
        names << QLatin1String(entry.Name);
    }
    throw ToolFailure(kCommand, QStringLiteral("unknown filter \"%1\" (use one of %2, or an index 0 to %3)")
                                    .arg(text, names.join(QStringLiteral(", ")))
                                    .arg(ResampleFilterTable.size() - 1));
}

TResampleOptions ParseOptions(const QStringList &arguments)
{
    TResampleOptions options;
    for (int k = 0; k < arguments.size(); ++k) {
        const QString &argument = arguments[k];
        const bool takesValue = argument == QLatin1String("--size") || argument == QLatin1String("--filter") ||
                                argument == QLatin1String("-o");
        if (takesValue && k + 1 == arguments.size())
            throw ToolFailure(kCommand, QStringLiteral("%1 needs a value").arg(argument));
        if (argument == QLatin1String("--size"))
            options.Size = ParseSize(arguments[++k]);
        else if (argument == QLatin1String("--filter"))
            options.Filter = ParseFilter(arguments[++k]);
        else if (argument == QLatin1String("-o"))
            options.Output = arguments[++k];
        else if (argument.startsWith(QLatin1Char('-')) || !options.Input.isEmpty())
            throw ToolFailure(kCommand, QStringLiteral("unexpected argument \"%1\"").arg(argument));
        else
            options.Input = argument;
    }
    if (options.Input.isEmpty() || options.Output.isEmpty() || options.Size.isEmpty())
        throw ToolFailure(kCommand, QStringLiteral("expected IN --size WxH [--filter NAME|INDEX] -o OUT.png"));
    return options;
}

QImage ReadPicture(const QString &path)
{
    QImageReader reader(path);
    QImage picture = reader.read();
    if (picture.isNull())
        throw ToolFailure(path, QStringLiteral("cannot read the picture: %1").arg(reader.errorString()));
    return picture;
}

void WritePng(const QImage &picture, const QString &path)
{
    TOutputFile file(path);
    file.WriteImage(picture, "png");
    file.Commit();
}

int RunResample(const QStringList &arguments)
{
    const TResampleOptions options = ParseOptions(arguments);
    QImage source = ReadPicture(options.Input);
    if (qint64(source.height()) * options.Size.width() > kMostPixels)
        throw ToolFailure(options.Input, QStringLiteral("too tall to resample to width %1 (the working bitmap would "
                                                        "exceed %2 pixels)")
                                             .arg(options.Size.width()).arg(kMostPixels));
    QImage destination(options.Size, QImage::Format_RGB888);
    if (destination.isNull())
        throw ToolFailure(kCommand, QStringLiteral("not enough memory for a %1x%2 picture")
                                        .arg(options.Size.width()).arg(options.Size.height()));
    ResampleBitmap(source, destination, options.Filter->Kernel, options.Filter->Support);
    WritePng(destination, options.Output);
    return 0;
}

} // namespace

TOOL_COMMAND("resample", "resample IN --size WxH [--filter NAME|INDEX] -o OUT.png  resize a picture with the map's resampler",
             RunResample);
