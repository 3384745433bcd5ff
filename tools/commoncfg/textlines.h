#ifndef COMMONCFG_TEXTLINES_H
#define COMMONCFG_TEXTLINES_H

#include "common/devicecodec.h"

#include <QByteArray>
#include <QString>
#include <QVector>

namespace commoncfg {

// The device's files are Windows-1251 text: one byte, one character. The
// tool reads and writes them with the library's own codec.
using LibCommonCfg::internal::deviceCodec;

// The device's Qt-side readers (the typed INI reader, the setup and
// time-zone files) take at most this many characters of a line at once and
// read the rest of a longer line as further lines of its own.
constexpr int kReaderPiece = 1024;
// The section reader takes at most this many bytes of a line (its LF
// included) at once.
constexpr int kSectionPiece = 4095;

// One line of a file, as every reader of the device cuts lines: at LF; a CR
// right before the LF (or one that ends the file) belongs to the line end.
// A CR anywhere else is an ordinary byte of the line.
struct TextLine {
    int begin = 0; // first byte
    int end = 0;   // end of the content, before its line end
    int next = 0;  // first byte of the next line (the end of the file for the last)

    int length() const { return end - begin; }
};

// The line that begins at `begin` (before the end of the bytes).
TextLine lineAt(const QByteArray& bytes, int begin);
QVector<TextLine> splitLines(const QByteArray& bytes);

// The line end most lines of the file have ("\r\n" or "\n"; "\n" for a file
// without any).
QByteArray dominantLineEnd(const QByteArray& bytes, const QVector<TextLine>& lines);

// Whether the bytes are spaces and tabs only (or none).
bool allBlanks(const QByteArray& bytes);

// The blanks at the start of a line (its indentation).
QByteArray leadingBlanks(const QByteArray& bytes, const TextLine& line);

// A change of the file's bytes: [begin, end) becomes `bytes`.
struct Splice {
    int begin = 0;
    int end = 0;
    QByteArray bytes;
};

QByteArray applySplice(const QByteArray& text, const Splice& splice);

} // namespace commoncfg

#endif
