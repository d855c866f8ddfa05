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
        std::optional<ImageRecord> decoded = DecodeDds(QFile::encodeName(file).toStdString());
        if (!decoded) {
            // The editor never offers such a file to the decoder; say why instead of a blank map.
            err << "File \"" << file
                << "\" is not offered to the decoder: its extension is not \"dds\".\n";
            err.flush();
            return kExitFailure;
        }
        ConvertToArgb32(*decoded);
        const QImage image = imageFromArgbRecord(std::move(*decoded));
        // Encoded in memory, then written through the atomic writer: a full disk must leave
        // neither a truncated PNG nor a destroyed earlier output.
        QByteArray png;
        QBuffer buffer(&png);
        if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
            err << "Cannot write \"" << out << "\".\n";
            err.flush();
            return kExitFailure;
        }
        try {
            AtomicFile::write(QFile::encodeName(out).toStdString(), std::string_view(png.constData(), png.size()));
        } catch (const FileAccessError& e) {
            err << "Cannot write \"" << out << "\". " << QString::fromUtf8(e.what()) << "\n";
            err.flush();
            return kExitFailure;
        }
    } catch (const std::exception& e) {
        err << QString::fromUtf8(e.what()) << "\n";
        err.flush();
        return kExitFailure;
    }
    return kExitSuccess;
}
