#pragma once
// The headless `--decode-dds FILE --output OUT.png` command: a game texture decoded as the editor
// decodes maps (first surface, 32 bits, no gamma) and written as a PNG with alpha, of the size
// the file's header gives.

#include <QImage>
#include <QString>
#include <QTextStream>

// Returns the process exit status: 0 when OUT was written, 1 after writing the editor's message
// (or why OUT could not be written) and a line end to `err`.
int decodeDdsToPng(const QString& file, const QString& out, QTextStream& err);

// Encodes `image` as a PNG in memory and writes it to `out` through the atomic writer, so a full
// disk leaves neither a truncated PNG nor a destroyed earlier output. Returns the process exit
// status: 0 when written, 1 after writing why not and a line end to `err`.
int writePngFile(const QImage& image, const QString& out, QTextStream& err);
