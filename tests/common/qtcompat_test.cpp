// A value a client's converter returns counts as no value exactly when Qt 5
// says so, whichever Qt the library is built with.
#include "common/qtcompat.h"

#include <QBitArray>
#include <QCborValue>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLine>
#include <QRect>
#include <QUrl>
#include <QUuid>

#include <gtest/gtest.h>

using LibCommonCfg::internal::variantIsNull;

TEST(QtCompat, NullValuesAsQt5HasThem)
{
    const std::vector<std::pair<QVariant, bool>> values{
        {QVariant(), true},
        {QVariant(QString()), true},
        {QVariant(QStringLiteral("")), false},
        {QVariant(QByteArray()), true},
        {QVariant(QByteArray("")), false},
        {QVariant::fromValue(QChar()), true},
        {QVariant::fromValue(QChar('a')), false},
        {QVariant::fromValue(QBitArray()), true},
        {QVariant::fromValue(QDate()), true},
        {QVariant::fromValue(QDate(2026, 12, 7)), false},
        {QVariant::fromValue(QTime()), true},
        {QVariant::fromValue(QDateTime()), true},
        {QVariant::fromValue(QUuid()), true},
        {QVariant::fromValue(QRect()), true},
        {QVariant::fromValue(QRectF()), true},
        {QVariant::fromValue(QSize()), false},
        {QVariant::fromValue(QSize(0, 0)), true},
        {QVariant::fromValue(QSizeF(0, 0)), true},
        {QVariant::fromValue(QPoint()), true},
        {QVariant::fromValue(QPoint(1, 0)), false},
        {QVariant::fromValue(QPointF()), true},
        {QVariant::fromValue(QLine()), true},
        {QVariant::fromValue(QLineF()), true},
        {QVariant::fromValue(QJsonValue()), true},
        {QVariant::fromValue(QJsonValue(1)), false},
        {QVariant::fromValue(QJsonDocument()), true},
        {QVariant::fromValue(QJsonDocument(QJsonObject())), false},
        {QVariant::fromValue(QCborValue(nullptr)), true},
        {QVariant::fromValue(QCborValue()), false},
        {QVariant::fromValue(QUrl()), false},
        {QVariant(QStringList()), false},
        {QVariant(0), false},
        {QVariant(0u), false},
        {QVariant(false), false},
        {QVariant(0.0), false},
    };
    for (const auto& [value, null] : values) {
        EXPECT_EQ(variantIsNull(value), null) << value.typeName();
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
        EXPECT_EQ(value.isNull(), null) << value.typeName();
#endif
    }
}
