#include "view/CellPainting.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace feedwell::view {
namespace {

constexpr qint64 kMsecPerDay = 86400000;
constexpr int kFadeMinutes = 240;

// A stamp as it reads back from its text form (whole seconds); NaN, which equals nothing, when the
// text does not parse.
DateTime ThroughTextForm(DateTime value) {
  return TextToDateTime(DateTimeToText(value), std::numeric_limits<double>::quiet_NaN());
}

}  // namespace

int MinutesOfDayDistance(DateTime now, DateTime received) {
  const qint64 msec = std::llround(std::fabs(now - received) * static_cast<double>(kMsecPerDay));
  return static_cast<int>((msec % kMsecPerDay) / 60000);
}

int StripColumn(int minutes, int stripWidth) {
  if (stripWidth <= 0 || minutes < 0 || minutes >= kFadeMinutes) return -1;
  const int x = stripWidth - (stripWidth * minutes) / kFadeMinutes;
  return std::min(x, stripWidth - 1);
}

bool IsFromLastNewScan(DateTime updateDate, DateTime updateLastNew) {
  // Both sides go through the text form, so a stamp that still carries milliseconds in memory
  // matches the same stamp read back from the settings file.
  return ThroughTextForm(updateDate) == ThroughTextForm(updateLastNew);
}

CellPaint PaintRuleFor(DateTime now, DateTime received, DateTime updateDate, DateTime updateLastNew,
                       int stripWidth) {
  CellPaint paint;
  if (DateOf(now) != DateOf(received)) return paint;
  const int x = StripColumn(MinutesOfDayDistance(now, received), stripWidth);
  if (x >= 0) {
    paint.fromStrip = true;
    paint.stripX = x;
  }
  paint.red = IsFromLastNewScan(updateDate, updateLastNew);
  return paint;
}

}  // namespace feedwell::view
