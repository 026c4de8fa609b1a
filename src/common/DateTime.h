#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace feedwell {

// The date-time type: days since 30 December 1899 (local time), the time of day as the fraction.
using DateTime = double;

// Conversions to and from Qt's local date-time. A value before the epoch keeps the time of day
// as the absolute fraction, so -1.25 is 29 December 1899, 06:00.
QDateTime ToQDateTime(DateTime value);
DateTime FromQDateTime(const QDateTime& value);
DateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                        int msec = 0);

// The text form: the locale's short date with a four-digit year, a blank and the long time
// without a time-zone name; exactly midnight shows the date alone. Uses QLocale() (the default
// locale, which tests may pin with QLocale::setDefault).
QString DateTimeToText(DateTime value, const QLocale& locale = QLocale());

// Parses the text form back; an empty text or one that does not parse gives fallback.
DateTime TextToDateTime(const QString& text, DateTime fallback, const QLocale& locale = QLocale());

// The date and the time format strings behind the text form.
QString DateFormatOf(const QLocale& locale);
QString TimeFormatOf(const QLocale& locale);

// Calendar date of a value (the whole days), for "same day" comparisons.
QDate DateOf(DateTime value);

}  // namespace feedwell
