#include "textlines.h"

namespace commoncfg {

TextLine lineAt(const QByteArray& bytes, int begin)
{
    const int size = bytes.size();
    const int lf = bytes.indexOf('\n', begin);
    TextLine line;
    line.begin = begin;
    if (lf < 0) {
        line.next = size;
        line.end = bytes.at(size - 1) == '\r' ? size - 1 : size;
    } else {
        line.next = lf + 1;
        line.end = lf > begin && bytes.at(lf - 1) == '\r' ? lf - 1 : lf;
    }
    return line;
}

QVector<TextLine> splitLines(const QByteArray& bytes)
{
    QVector<TextLine> lines;
    for (int begin = 0; begin < bytes.size(); begin = lines.constLast().next)
        lines.append(lineAt(bytes, begin));
    return lines;
}

QByteArray dominantLineEnd(const QByteArray& bytes, const QVector<TextLine>& lines)
{
    int crlf = 0;
    int lf = 0;
    for (const TextLine& line : lines) {
        if (line.next - line.end == 2)
            ++crlf;
        else if (line.next > line.end && bytes.at(line.end) == '\n')
            ++lf;
    }
    return crlf > lf ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

bool allBlanks(const QByteArray& bytes)
{
    for (const char c : bytes) {
        if (c != ' ' && c != '\t')
            return false;
    }
    return true;
}

QByteArray leadingBlanks(const QByteArray& bytes, const TextLine& line)
{
    int end = line.begin;
    while (end < line.end && (bytes.at(end) == ' ' || bytes.at(end) == '\t'))
        ++end;
    return bytes.mid(line.begin, end - line.begin);
}

QByteArray applySplice(const QByteArray& text, const Splice& splice)
{
    QByteArray result;
    result.reserve(text.size() - (splice.end - splice.begin) + splice.bytes.size());
    result.append(text.constData(), splice.begin);
    result.append(splice.bytes);
    result.append(text.constData() + splice.end, text.size() - splice.end);
    return result;
}

} // namespace commoncfg
