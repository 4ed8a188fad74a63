// Table values in Qt terms: the one place where engine::Value and QVariant meet.
#pragma once

#include "engine/Value.h"

#include <QString>
#include <QVariant>

namespace browser {

// Null gives an invalid QVariant, text a QString, a number a double, a date a QDate (a QDateTime
// when it has a time of day), a boolean a bool.
QVariant toVariant(const engine::Value& value);

// The reverse: an invalid QVariant gives null, strings text (an empty string too), integers and
// doubles numbers, QDate and QDateTime dates, bool booleans; anything else its string form as text.
engine::Value toValue(const QVariant& variant);

// What a grid cell shows and its editor starts with (text the engine reads back when stored):
// numbers as the table stores them (exact decimal text), dates as YYYY-MM-DD, logicals as
// "true" or "false", null as "".
QString displayText(const engine::Value& value);

}  // namespace browser
