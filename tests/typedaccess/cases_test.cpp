// Runs the cases under tests/cases/typedaccess. A case builds a document of
// its `in.ini` file (if any) and rows, and runs rows in order. Names and
// texts in rows are UTF-8 (escapes give other bytes); "<null>" as a name is
// a null pointer.
//   set SECT|KEY[|VALUE[|COMMENT]]   CIniFile::Set (without VALUE: a null
//                           value), then the key's SetComment
//   codec NAME              a new helper with that codec (at first: none given)
//   sect NAME               beginSect; for the reader it must succeed, unless
//                           followed by " => ! KIND MESSAGE"
//   current [NAME]          curSect() (no NAME: a null string)
// A reader case (no `out` file) also has:
//   keys A|B|...            keys(), joined with "|"
//   report KIND MESSAGE     the last report; seterror TEXT: setErrorStr
//   GETTER KEY => VALUE     a strict getter gives VALUE and reports nothing
//                           (VALUE begins after one blank behind "=>");
//   GETTER KEY => ! KIND MESSAGE   it fails with that report; "! silent": it
//                           fails without one. The output is untouched when
//                           it fails, and the getter's Default twin gives
//                           the value or, where the strict one failed, the
//                           default, reporting nothing. Booleans: true/false.
// A writer case runs a writer and the file written must be its `out`:
//   delete NAME             deleteSect
//   SETTER KEY=ARG          setDouble takes "VALUE [PRECISION]"
// Every case runs twice: through the const char* overloads, and through the
// QString ones where there are.
#include <LibCommonCfg/libcommoncfg.h>

#include "support/cases.h"
#include "support/files.h"

#include <QTextCodec>
#include <QVariant>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>

namespace {

using LibCommonCfg::CIniReaderHelper;
using LibCommonCfg::CIniWriterHelper;

const char* cname(const QByteArray& name)
{
    return name == "<null>" ? nullptr : name.constData();
}

// Values as the rows write them (booleans as true/false), and as the checks
// compare them.
template <typename T> T parse(const QByteArray& text)
{
    return QVariant(QString::fromUtf8(text)).value<T>();
}

template <typename T> std::string show(const T& value)
{
    return QVariant::fromValue(value).toString().toStdString();
}

// A value unlike `value`, to tell whether a getter wrote its output.
template <typename T> T other(const T& value)
{
    if constexpr (std::is_same_v<T, QString>)
        return value + QLatin1Char('~');
    else
        return value == T{} ? T{1} : T{};
}

// A getter through the QString overload when `q`, else the const char* one.
#define BYTES(f)                                                                                             \
    [](CIniReaderHelper& r, const QByteArray& k, bool, auto&... a) { return r.f(cname(k), a...); }
#define BOTH(f)                                                                                              \
    [](CIniReaderHelper& r, const QByteArray& k, bool q, auto&... a) {                                       \
        return q ? r.f(QString::fromUtf8(k), a...) : r.f(cname(k), a...);                                    \
    }

struct Reader {
    CIniReaderHelper& r;
    QString& error;
    bool q;

    std::string report() const { return std::to_string(r.getErrorType()) + " " + error.toStdString(); }

    template <typename T, typename Strict, typename Fallback>
    void check(const QByteArray& key, const QByteArray& expected, Strict strict, Fallback fallback)
    {
        const bool fails = expected.startsWith("! ");
        const T want = fails ? T{} : parse<T>(expected);
        const T sentinel = fails ? other(T{}) : other(want);
        const std::string before = report();
        T out = sentinel;
        EXPECT_EQ(strict(r, key, q, out), !fails);
        EXPECT_EQ(show(out), show(fails ? sentinel : want));
        EXPECT_EQ(report(), fails && expected != "! silent" ? expected.mid(2).toStdString() : before);
        if constexpr (!std::is_same_v<Fallback, std::nullptr_t>) {
            const std::string after = report();
            T value = fails ? other(sentinel) : sentinel;
            T def = sentinel;
            fallback(r, key, q, value, def);
            EXPECT_EQ(show(value), show(fails ? sentinel : want)) << "the Default getter";
            EXPECT_EQ(report(), after) << "the Default getter";
        }
    }

    bool get(const QByteArray& word, const QByteArray& key, const QByteArray& expected)
    {
#define GETTER(T, name, strict, fallback)                                                                    \
    if (word == #name)                                                                                       \
        return check<T>(key, expected, strict(name), fallback), true;
        GETTER(QString, getString, BOTH, BOTH(getStringDefault))
        GETTER(QString, getKeyComment, BOTH, nullptr)
        GETTER(bool, getOnOff, BYTES, BYTES(getOnOffDefault))
        GETTER(bool, get01, BYTES, BYTES(get01Default))
        GETTER(bool, getYN, BYTES, BYTES(getYNDefault))
        GETTER(int, getInt, BOTH, BOTH(getIntDefault))
        GETTER(unsigned, getUInt, BOTH, BOTH(getUIntDefault))
        GETTER(unsigned, getUIntHex, BYTES, BYTES(getUIntHexDefault))
        GETTER(double, getDouble, BYTES, BYTES(getDoubleDefault))
        return false;
    }
};

void setter(CIniWriterHelper& w, const QByteArray& word, const QByteArray& key, const QByteArray& arg, bool q)
{
    const QString k = QString::fromUtf8(key), text = QString::fromUtf8(arg);
    const char* c = cname(key);
    const QList<QByteArray> number = arg.split(' ');
#define SETTER(name, value)                                                                                  \
    if (word == #name)                                                                                       \
        return q ? w.name(k, value) : w.name(c, value);
#define BYTES_SETTER(name, value)                                                                            \
    if (word == #name)                                                                                       \
        return w.name(c, value);
    SETTER(setString, text)
    SETTER(setKeyComment, text)
    SETTER(setInt, arg.toInt(nullptr, 0))
    SETTER(setUInt, arg.toUInt(nullptr, 0))
    BYTES_SETTER(setUIntHex, arg.toUInt(nullptr, 0))
    BYTES_SETTER(setOnOff, arg == "true")
    BYTES_SETTER(setYN, arg == "true")
    BYTES_SETTER(set01, arg == "true")
    if (word == "setDouble" && number.size() == 2)
        return w.setDouble(c, number[0].toDouble(), number[1].toInt());
    BYTES_SETTER(setDouble, arg.toDouble())
    ADD_FAILURE() << "unknown setter " << word.constData();
}

void runThrough(const lcctest::CaseFile& c, bool q)
{
    SCOPED_TRACE(q ? "through the QString overloads" : "through the const char* overloads");
    const bool writes = c.hasFile("out");
    lcctest::ScratchDir dir;
    CIniFile doc;
    if (c.hasFile("in.ini")) {
        ASSERT_EQ(doc.Read(dir.write("in.ini", c.file("in.ini")).c_str()), 0);
    }
    QString error = QStringLiteral("untouched");
    std::unique_ptr<CIniReaderHelper> reader(new CIniReaderHelper(doc, error, nullptr));
    std::unique_ptr<CIniWriterHelper> writer(new CIniWriterHelper(doc, error, nullptr));
    for (const auto& row : c.lines) {
        const QByteArray& word = row.first;
        const QByteArray& text = row.second;
        SCOPED_TRACE(word.toStdString() + " " + text.toStdString());
        const int arrow = text.indexOf(" =>");
        const QByteArray name = arrow < 0 ? text : text.left(arrow);
        const QByteArray expected = arrow < 0 ? QByteArray() : text.mid(arrow + 4);
        const bool viaQString = q && name != "<null>";
        const QList<QByteArray> f = text.split('|');
        Reader read{*reader, error, viaQString};
        if (word == "set") {
            doc.Set(f.value(0).constData(), f.value(1).constData(),
                    f.size() > 2 ? f[2].constData() : nullptr);
            if (f.size() > 3)
                doc.GetSect(f[0].constData())->SetComment(f[1].constData(), f[3].constData());
        } else if (word == "codec") {
            QTextCodec* codec = QTextCodec::codecForName(text);
            ASSERT_NE(codec, nullptr) << text.constData();
            reader.reset(new CIniReaderHelper(doc, error, codec));
            writer.reset(new CIniWriterHelper(doc, error, codec));
        } else if (word == "current") {
            const QString current = writes ? writer->curSect() : reader->curSect();
            EXPECT_EQ(current.toStdString(), text.toStdString());
            EXPECT_EQ(current.isNull(), text.isNull());
        } else if (word == "sect" && writes) {
            viaQString ? writer->beginSect(QString::fromUtf8(name)) : writer->beginSect(cname(name));
        } else if (word == "sect") {
            const std::string before = read.report();
            const bool found =
                viaQString ? reader->beginSect(QString::fromUtf8(name)) : reader->beginSect(cname(name));
            EXPECT_EQ(found, expected.isEmpty());
            EXPECT_EQ(read.report(), expected.isEmpty() ? before : expected.mid(2).toStdString());
        } else if (word == "delete") {
            writer->deleteSect(QString::fromUtf8(text));
        } else if (writes && word.startsWith("set")) {
            const int equals = text.indexOf('=');
            setter(*writer, word, text.left(equals), text.mid(equals + 1),
                   q && text.left(equals) != "<null>");
        } else if (word == "keys") {
            EXPECT_EQ(reader->keys().join(QLatin1Char('|')).toStdString(), text.toStdString());
        } else if (word == "report") {
            EXPECT_EQ(read.report(), text.toStdString());
        } else if (word == "seterror") {
            reader->setErrorStr(QString::fromUtf8(text));
        } else if (!read.get(word, name, expected)) {
            ADD_FAILURE() << "unknown row";
        }
    }
    if (!writes)
        return;
    EXPECT_EQ(error, QStringLiteral("untouched")) << "the writer wrote its message string";
    const std::string out = dir.path("out");
    ASSERT_EQ(doc.Write(out.c_str()), 0);
    EXPECT_EQ(lcctest::ScratchDir::read(out).toStdString(), c.file("out").toStdString());
}

LCC_CASE_TEST(TypedAccessCase, "typedaccess", "set", "codec", "sect", "current", "delete", "report",
              "seterror", "keys", "getString", "getOnOff", "get01", "getYN", "getInt", "getUInt",
              "getUIntHex", "getDouble", "getKeyComment", "setString", "setKeyComment", "setInt", "setUInt",
              "setUIntHex", "setOnOff", "setYN", "set01", "setDouble")
{
    runThrough(c, false);
    runThrough(c, true);
}

} // namespace
