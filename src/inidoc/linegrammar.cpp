#include "inidoc/linegrammar.h"

namespace LibCommonCfg {
namespace internal {

namespace {

// The word characters of the section name: ASCII only, as "\w" and "." are.
bool isSectionNameChar(QChar c)
{
    const ushort u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' || u == '.';
}

// Offset of the first ";" (or the length without one), or -1 when the line
// holds a high surrogate without its low half or a low one without its
// high half: such a line never matches the line grammar.
int commentStartOrBroken(const QChar* text, int length)
{
    int comment = length;
    for (int i = 0; i < length; ++i) {
        const ushort u = text[i].unicode();
        if (u == ';' && comment == length) {
            comment = i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            if (u >= 0xDC00 || i + 1 == length || !text[i + 1].isLowSurrogate())
                return -1;
            ++i;
        }
    }
    return comment;
}

} // namespace

IniLine classifyLine(const QString& line)
{
    IniLine result;
    const QChar* text = line.constData();
    int end = commentStartOrBroken(text, line.size());
    if (end < 0) {
        result.kind = IniLine::Other;
        return result;
    }
    int begin = 0;
    while (begin < end && text[begin].isSpace())
        ++begin;
    while (end > begin && text[end - 1].isSpace())
        --end;
    if (begin == end)
        return result;

    if (text[begin] == QLatin1Char('[')) {
        // A trimmed line that begins with "[" is a header or nothing.
        result.kind = IniLine::Other;
        if (end - begin < 3 || text[end - 1] != QLatin1Char(']'))
            return result;
        for (int i = begin + 1; i < end - 1; ++i) {
            if (!isSectionNameChar(text[i]))
                return result;
        }
        result.kind = IniLine::Section;
        result.nameBegin = begin + 1;
        result.nameLength = end - begin - 2;
        return result;
    }

    // The key holds at least its first character, so the "=" is searched
    // from the second one on.
    int eq = -1;
    for (int i = begin + 1; i < end; ++i) {
        if (text[i] == QLatin1Char('=')) {
            eq = i;
            break;
        }
    }
    if (eq < 0) {
        result.kind = IniLine::Other;
        return result;
    }
    result.kind = IniLine::Key;
    int keyEnd = eq;
    while (keyEnd > begin && text[keyEnd - 1].isSpace())
        --keyEnd;
    int valueBegin = eq + 1;
    while (valueBegin < end && text[valueBegin].isSpace())
        ++valueBegin;
    result.nameBegin = begin;
    result.nameLength = keyEnd - begin;
    result.valueBegin = valueBegin;
    result.valueLength = end - valueBegin;
    return result;
}

} // namespace internal
} // namespace LibCommonCfg
