#ifndef LCC_TESTS_SUPPORT_QTCOMPAT_H
#define LCC_TESTS_SUPPORT_QTCOMPAT_H

// What the tests need from Qt that Qt 5 and Qt 6 spell differently.

#include <QMetaType>
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QTextCodec>
#endif
#include <QTextStream>
#include <QVariant>

namespace lcctest {

/// Converts the value to the type of that name, as QVariant::convert does.
inline bool convertTo(QVariant& value, const char* typeName)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return value.convert(QMetaType::fromName(typeName));
#else
    return value.convert(QMetaType::type(typeName));
#endif
}

/// Makes the stream read every byte as the character of the same number,
/// unless it finds a Unicode byte-order mark.
inline void readLatin1(QTextStream& stream)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    stream.setEncoding(QStringConverter::Latin1);
#else
    stream.setCodec("ISO-8859-1");
#endif
}

/// Whether the stream still reads Latin-1: it found no byte-order mark.
inline bool stillLatin1(const QTextStream& stream)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return stream.encoding() == QStringConverter::Latin1;
#else
    return stream.codec()->mibEnum() == 4;
#endif
}

} // namespace lcctest

#endif // LCC_TESTS_SUPPORT_QTCOMPAT_H
