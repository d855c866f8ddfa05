#pragma once
// The headless `--decode-dds FILE --output OUT.png` command: a game texture decoded as the editor
// decodes maps (first surface, 32 bits, no gamma) and written as a PNG with alpha.

#include <QString>
#include <QTextStream>

// Returns the process exit status: 0 when OUT was written, 1 after writing the editor's message
// (or why OUT could not be written) and a line end to `err`.
int decodeDdsToPng(const QString& file, const QString& out, QTextStream& err);
