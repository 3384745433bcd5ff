#include "common/qtcompat.h"

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
#include <QBitArray>
#include <QCborValue>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonValue>
#include <QLine>
#include <QRect>
#include <QUuid>
#endif

namespace LibCommonCfg {
namespace internal {

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
namespace {

template <typename T> bool heldIsNull(const QVariant& value)
{
    return static_cast<const T*>(value.constData())->isNull();
}

} // namespace

bool variantIsNull(const QVariant& value)
{
    if (value.isNull())
        return true;
    // The types of Qt's core whose values know a null state of their own.
    switch (value.metaType().id()) {
    case QMetaType::QString:
        return heldIsNull<QString>(value);
    case QMetaType::QByteArray:
        return heldIsNull<QByteArray>(value);
    case QMetaType::QChar:
        return heldIsNull<QChar>(value);
    case QMetaType::QBitArray:
        return heldIsNull<QBitArray>(value);
    case QMetaType::QDate:
        return heldIsNull<QDate>(value);
    case QMetaType::QTime:
        return heldIsNull<QTime>(value);
    case QMetaType::QDateTime:
        return heldIsNull<QDateTime>(value);
    case QMetaType::QUuid:
        return heldIsNull<QUuid>(value);
    case QMetaType::QRect:
        return heldIsNull<QRect>(value);
    case QMetaType::QRectF:
        return heldIsNull<QRectF>(value);
    case QMetaType::QSize:
        return heldIsNull<QSize>(value);
    case QMetaType::QSizeF:
        return heldIsNull<QSizeF>(value);
    case QMetaType::QPoint:
        return heldIsNull<QPoint>(value);
    case QMetaType::QPointF:
        return heldIsNull<QPointF>(value);
    case QMetaType::QLine:
        return heldIsNull<QLine>(value);
    case QMetaType::QLineF:
        return heldIsNull<QLineF>(value);
    case QMetaType::QJsonValue:
        return heldIsNull<QJsonValue>(value);
    case QMetaType::QJsonDocument:
        return heldIsNull<QJsonDocument>(value);
    case QMetaType::QCborValue:
        return heldIsNull<QCborValue>(value);
    default:
        return false;
    }
}
#else
bool variantIsNull(const QVariant& value)
{
    return value.isNull();
}
#endif

} // namespace internal
} // namespace LibCommonCfg
