// Table values in Qt terms: the one place where engine::Value and QVariant meet.
#pragma once

#include "engine/Value.h"

#include <QString>
#include <QVariant>

namespace browser {

// Null gives an invalid QVariant, text a QString, a number a double, a date a QDate (a QDateTime
// when it has a time of day), a boolean a bool, a date-time and binary data their displayText.
QVariant toVariant(const engine::Value& value);

// The reverse: an invalid QVariant gives null, strings text (an empty string too), integers and
// doubles numbers, QDate and QDateTime dates, bool booleans; anything else its string form as text.
engine::Value toValue(const QVariant& variant);

// What a grid cell shows and its editor starts with (text the engine reads back when stored):
// numbers as the table stores them (exact decimal text), dates as YYYY-MM-DD, date-times as
// YYYY-MM-DD HH:MM:SS (and .mmm when there are milliseconds), logicals as "true" or "false", null
// as "", binary data as "(binary, N bytes)" (never its bytes).
QString displayText(const engine::Value& value);

}  // namespace browser
