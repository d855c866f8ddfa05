#include "mapview/DdsExport.h"

#include "mapview/MapImage.h"
#include "support/AtomicFile.h"
#include "support/DdsImage.h"

#include <QBuffer>
#include <QFile>

namespace {
constexpr int kExitFailure = 1;
constexpr int kExitSuccess = 0;
}  // namespace

int decodeDdsToPng(const QString& file, const QString& out, QTextStream& err)
{
    try {
        std::optional<ImageRecord> decoded = DecodeDds(file.toStdString());
        if (!decoded) {
            // The editor never offers such a file to the decoder; say why instead of a blank map.
            err << "File \"" << file
                << "\" is not offered to the decoder: its extension is not \"dds\".\n";
            err.flush();
            return kExitFailure;
        }
        ConvertToArgb32(*decoded);
        const QSize picture(decoded->pictureWidth, decoded->pictureHeight);
        const QImage image = imageFromArgbRecord(std::move(*decoded));
        // Blocks of four pixels pad the decoded image; the file holds the header's size.
        return writePngFile(image.size() == picture ? image : image.copy(QRect(QPoint(0, 0), picture)), out, err);
    } catch (const std::exception& e) {
        err << QString::fromUtf8(e.what()) << "\n";
        err.flush();
        return kExitFailure;
    }
}

int writePngFile(const QImage& image, const QString& out, QTextStream& err)
{
    QByteArray png;
    QBuffer buffer(&png);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        err << "Cannot write \"" << out << "\".\n";
        err.flush();
        return kExitFailure;
    }
    try {
        AtomicFile::write(out.toStdString(), std::string_view(png.constData(), png.size()));
    } catch (const FileAccessError& e) {
        err << "Cannot write \"" << out << "\". " << QString::fromUtf8(e.what()) << "\n";
        err.flush();
        return kExitFailure;
    }
    return kExitSuccess;
}
