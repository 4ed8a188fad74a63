#include "browser/ValueVariant.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <cstdint>

namespace browser {

namespace {

constexpr std::int64_t kMicrosecondsPerMillisecond = 1000;

QDate toQDate(const engine::DateTime& date) { return QDate(date.year, date.month, date.day); }

}  // namespace

QVariant toVariant(const engine::Value& value) {
    switch (value.kind()) {
        case engine::Value::Kind::Null:
            return QVariant();
        case engine::Value::Kind::Text:
            return QString::fromStdString(value.asText());
        case engine::Value::Kind::Number:
            return value.asNumber();
        case engine::Value::Kind::Date: {
            const engine::DateTime& date = value.asDate();
            if (!date.hasTime()) return toQDate(date);
            const QTime time = QTime::fromMSecsSinceStartOfDay(
                static_cast<int>(date.microsecondsOfDay / kMicrosecondsPerMillisecond));
            return QDateTime(toQDate(date), time);
        }
        case engine::Value::Kind::Boolean:
            return value.asBoolean();
        case engine::Value::Kind::DateTime:
        case engine::Value::Kind::Binary:
            return displayText(value);
    }
    return QVariant();
}

engine::Value toValue(const QVariant& variant) {
    if (!variant.isValid()) return engine::Value();
    switch (variant.typeId()) {
        case QMetaType::QString:
            return engine::Value::text(variant.toString().toStdString());
        case QMetaType::Bool:
            return engine::Value::boolean(variant.toBool());
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
        case QMetaType::Float:
            return engine::Value::number(variant.toDouble());
        case QMetaType::QDate: {
            const QDate date = variant.toDate();
            return engine::Value::date({date.year(), date.month(), date.day(), 0});
        }
        case QMetaType::QDateTime: {
            const QDateTime stamp = variant.toDateTime();
            const QDate date = stamp.date();
            return engine::Value::date(
                {date.year(), date.month(), date.day(),
                 static_cast<std::int64_t>(stamp.time().msecsSinceStartOfDay()) *
                     kMicrosecondsPerMillisecond});
        }
        default:
            return engine::Value::text(variant.toString().toStdString());
    }
}

QString displayText(const engine::Value& value) {
    if (value.kind() == engine::Value::Kind::Binary) {
        return QStringLiteral("(binary, %1 bytes)").arg(value.asBinary().size());
    }
    return QString::fromStdString(value.toString());
}

}  // namespace browser
