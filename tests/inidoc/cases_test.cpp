// Runs the INI document cases under tests/cases/inidoc. A case builds one
// document: the file `in` is loaded from disk, then the lines of the `case`
// file act in order. Fields of a line are separated by tabs; a value is
// written "type:text" (text, uint, int, bool, null).
//   load TEXT                         loads the bytes into the document
//   set KEY VALUE                     setValue with no current group
//   noconv                            installs a list without conversions
//   conv GROUP KEY TEXT VALUE WRITTEN parse gives VALUE, store writes it back as WRITTEN
//   store GROUP KEY VALUE WRITTEN     store of a value set by the caller
//   boolvalue GROUP KEY DEFAULT WANT  boolValueFromGroup (0 or 1)
//   entry KEY VALUE                   the document holds exactly these keys, in order
// and the file `out` holds the exact bytes that serialize must give at the end.
#include <LibCommonCfg/inifile.h>

#include "support/cases.h"
#include "support/qtcompat.h"

#include <gtest/gtest.h>

using LibCommonCfg::IniFile;

namespace {

// Whole, NUL bytes included.
QString str(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes.constData(), bytes.size());
}

// A value as the cases write it: "type:text", with the type as QVariant
// names it ("text" for a string), or "null:" for no value.
QByteArray describe(const QVariant& v)
{
    const QByteArray type = v.userType() == QMetaType::QString ? "text" : v.typeName();
    return v.isValid() ? type + ':' + v.toString().toUtf8() : "null:";
}

QVariant variant(const QByteArray& described)
{
    const int colon = described.indexOf(':');
    const QByteArray type = described.left(colon);
    QVariant value(str(described.mid(colon + 1)));
    if (type == "null")
        return QVariant();
    EXPECT_TRUE(lcctest::convertTo(value, type == "text" ? "QString" : type.constData()))
        << described.constData();
    return value;
}

LCC_CASE_TEST(IniCase, "inidoc", "load", "set", "noconv", "conv", "store", "boolvalue", "entry")
{
    IniFile doc;
    if (c.hasFile("in")) {
        ASSERT_TRUE(doc.load(c.folder + QStringLiteral("/in")));
    }
    QByteArray wanted;
    for (const auto& line : c.lines) {
        const QList<QByteArray> f = line.second.split('\t');
        SCOPED_TRACE(line.first.toStdString() + " " + line.second.toStdString());
        if (line.first == "load") {
            doc.load(line.second);
        } else if (line.first == "set") {
            doc.setValue(str(f.value(0)), variant(f.value(1)));
        } else if (line.first == "noconv") {
            doc.pushConvMap({IniFile::defaultConvMap.first()});
        } else if (line.first == "conv") {
            const QVariant value = doc.parse(str(f.value(0)), str(f.value(1)), str(f.value(2)));
            EXPECT_EQ(describe(value), f.value(3));
            EXPECT_EQ(doc.store(str(f.value(0)), str(f.value(1)), value), str(f.value(4)));
        } else if (line.first == "store") {
            EXPECT_EQ(doc.store(str(f.value(0)), str(f.value(1)), variant(f.value(2))), str(f.value(3)));
        } else if (line.first == "boolvalue") {
            EXPECT_EQ(doc.boolValueFromGroup(str(f.value(0)), str(f.value(1)), f.value(2) == "1"),
                      f.value(3) == "1");
        } else if (line.first == "entry") {
            wanted += line.second + '\n';
        }
    }
    if (c.has("entry")) {
        QByteArray held;
        for (const QString& key : doc.allKeys()) {
            const int slash = key.indexOf(QLatin1Char('/'));
            held += key.toUtf8() + '\t' + describe(doc.valueFromGroup(key.left(slash), key.mid(slash + 1))) +
                    '\n';
        }
        EXPECT_EQ(held.toStdString(), wanted.toStdString());
    }
    if (c.hasFile("out")) {
        EXPECT_EQ(doc.serialize(), c.file("out"));
    }
}

} // namespace
