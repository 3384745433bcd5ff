#include "support/cases.h"

#include "support/files.h"

#include <QDir>
#include <QFileInfo>

#include <cctype>

namespace lcctest {

static QByteArray unescape(const QByteArray& text)
{
    QByteArray bytes;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) != '\\' || i + 1 == text.size()) {
            bytes.append(text.at(i));
            continue;
        }
        const char next = text.at(++i);
        if (next == 'x' && i + 2 < text.size()) {
            bytes.append(char(text.mid(i + 1, 2).toInt(nullptr, 16)));
            i += 2;
        } else {
            bytes.append(next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next);
        }
    }
    return bytes;
}

static QString subsystemRoot(const char* subsystem)
{
    return QStringLiteral(LCC_CASES_DIR "/") + QLatin1String(subsystem);
}

std::vector<std::string> caseNames(const char* subsystem)
{
    std::vector<std::string> names;
    const QDir root(subsystemRoot(subsystem));
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        names.push_back(name.toStdString());
    return names;
}

CaseFile readCase(const char* subsystem, const std::string& name, const QList<QByteArray>& known)
{
    CaseFile c;
    c.folder = subsystemRoot(subsystem) + QLatin1Char('/') + QString::fromStdString(name);
    const QByteArray text = readAll(c.folder + QStringLiteral("/case"));
    QList<QByteArray> lines = text.split('\n');
    if (!text.startsWith("# ")) {
        c.error = "the first line must say what the case pins down";
        return c;
    }
    lines.removeFirst();
    for (const QByteArray& line : lines) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const int blank = line.indexOf(' ');
        const QByteArray word = blank < 0 ? line : line.left(blank);
        if (!known.contains(word) && c.error.empty())
            c.error = "unknown word " + word.toStdString();
        c.lines.append({word, blank < 0 ? QByteArray() : unescape(line.mid(blank + 1))});
    }
    return c;
}

static CaseFile readAlphabet(const char* name)
{
    CaseFile c = readCase("alphabets", name, {"piece", "unit"});
    if (!c.error.empty() || c.lines.isEmpty())
        ADD_FAILURE() << "alphabet " << name << ": " << (c.error.empty() ? "no pieces" : c.error);
    return c;
}

QList<QByteArray> bytePieces(const char* name)
{
    return readAlphabet(name).all("piece");
}

QStringList textPieces(const char* name)
{
    QStringList pieces;
    for (const auto& line : readAlphabet(name).lines) {
        if (line.first == "unit")
            pieces.append(QString(QChar(ushort(line.second.toUInt(nullptr, 16)))));
        else
            pieces.append(QString::fromUtf8(line.second));
    }
    return pieces;
}

QList<QByteArray> CaseFile::all(const char* word) const
{
    QList<QByteArray> found;
    for (const auto& line : lines) {
        if (line.first == word)
            found.append(line.second);
    }
    return found;
}

QByteArray CaseFile::one(const char* word, const QByteArray& fallback) const
{
    const QList<QByteArray> found = all(word);
    return found.isEmpty() ? fallback : found.last();
}

QByteArray CaseFile::file(const QString& name) const
{
    const QString path = folder + QLatin1Char('/') + name;
    return QFileInfo::exists(path) ? readAll(path) : QByteArray();
}

bool CaseFile::hasFile(const QString& name) const
{
    return QFileInfo::exists(folder + QLatin1Char('/') + name);
}

std::string testName(const ::testing::TestParamInfo<std::string>& info)
{
    std::string name = info.param;
    for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    }
    return name;
}

} // namespace lcctest
