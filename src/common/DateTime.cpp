#include "common/DateTime.h"

#include <cmath>

namespace feedwell {
namespace {

const QDate kEpoch(1899, 12, 30);
constexpr double kMsecPerDay = 86400000.0;
constexpr double kMaxDays = 1e9;

// Drops time-zone tokens ("t", "tt", …) outside quoted text, with what only framed them: the blanks
// and comma before one and a bracket pair around it ("h:mm:ss AP, t", "H:mm:ss (t)").
QString WithoutTimeZone(const QString& format) {
  const auto isSeparator = [](QChar c) { return c == u' ' || c == u',' || c == QChar(0x00A0); };
  QString out;
  bool quoted = false;
  const qsizetype size = format.size();
  for (qsizetype i = 0; i < size; ++i) {
    const QChar c = format.at(i);
    if (c == u'\'') quoted = !quoted;
    if (quoted || c != u't') {
      out += c;
      continue;
    }
    while (i + 1 < size && format.at(i + 1) == u't') ++i;
    while (!out.isEmpty() && isSeparator(out.back())) out.chop(1);
    if (!out.isEmpty() && out.back() == u'(' && i + 1 < size && format.at(i + 1) == u')') {
      out.chop(1);
      ++i;
      while (!out.isEmpty() && isSeparator(out.back())) out.chop(1);
    }
  }
  return out.trimmed();
}

}  // namespace

QDateTime ToQDateTime(DateTime value) {
  // Not a number or millions of years away (a damaged value): no date, and no undefined conversion.
  if (!std::isfinite(value) || std::fabs(value) > kMaxDays) return {};
  const double whole = std::trunc(value);
  qint64 msec = std::llround(std::fabs(value - whole) * kMsecPerDay);
  qint64 days = static_cast<qint64>(whole);
  if (msec >= static_cast<qint64>(kMsecPerDay)) {  // rounding reached the next day
    msec -= static_cast<qint64>(kMsecPerDay);
    days += value < 0 ? -1 : 1;
  }
  return QDateTime(kEpoch.addDays(days), QTime::fromMSecsSinceStartOfDay(static_cast<int>(msec)));
}

DateTime FromQDateTime(const QDateTime& value) {
  const double days = static_cast<double>(kEpoch.daysTo(value.date()));
  const double fraction = value.time().msecsSinceStartOfDay() / kMsecPerDay;
  return days >= 0 ? days + fraction : days - fraction;
}

DateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec) {
  return FromQDateTime(QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec)));
}

QString DateFormatOf(const QLocale& locale) {
  QString format = locale.dateFormat(QLocale::ShortFormat);
  // Widen a two-digit year so that the text parses back into the same century.
  if (!format.contains(QStringLiteral("yyyy"))) format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
  return format;
}

QString TimeFormatOf(const QLocale& locale) {
  return WithoutTimeZone(locale.timeFormat(QLocale::LongFormat));
}

QString DateTimeToText(DateTime value, const QLocale& locale) {
  const QDateTime dt = ToQDateTime(value);
  if (!dt.isValid()) return {};
  const QString date = locale.toString(dt.date(), DateFormatOf(locale));
  if (dt.time() == QTime(0, 0)) return date;
  return date + u' ' + locale.toString(dt.time(), TimeFormatOf(locale));
}

DateTime TextToDateTime(const QString& text, DateTime fallback, const QLocale& locale) {
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty()) return fallback;
  const QString dateFormat = DateFormatOf(locale);
  const QDateTime full = locale.toDateTime(trimmed, dateFormat + u' ' + TimeFormatOf(locale));
  if (full.isValid()) return FromQDateTime(full);
  const QDate dateOnly = locale.toDate(trimmed, dateFormat);
  if (dateOnly.isValid()) return FromQDateTime(QDateTime(dateOnly, QTime(0, 0)));
  return fallback;
}

QDate DateOf(DateTime value) {
  return ToQDateTime(value).date();
}

}  // namespace feedwell
