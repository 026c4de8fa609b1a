#include <gtest/gtest.h>

#include <QPalette>

#include "GuiTestApp.h"
#include "common/DateTime.h"
#include "view/CellPainting.h"
#include "view/StatusStrip.h"

namespace feedwell::view {
namespace {

constexpr double kMinute = 1.0 / 1440;
constexpr double kSecond = 1.0 / 86400;
constexpr double kMsec = kSecond / 1000;

const DateTime kNow = EncodeDateTime(2026, 3, 14, 15, 30, 0);
const DateTime kLastNew = EncodeDateTime(2026, 3, 14, 9, 0, 0);

TEST(StripColumn, FollowsTheAgeAcrossTheStrip) {
  struct Case {
    int minutes;
    int width;
    int expected;
  };
  const Case cases[] = {
      {0, 731, 730},                                 // this minute: the strip's last column, not one past it
      {1, 731, 728},                                 // 731 − 731 div 240
      {239, 731, 4},                                 // 731 − 727
      {120, 240, 120}, {240, 731, -1},               // four hours: no colour
      {600, 731, -1},  {0, 1, 0},      {10, 0, -1},  // a strip without width gives no colour
  };
  for (const Case& c : cases)
    EXPECT_EQ(StripColumn(c.minutes, c.width), c.expected) << c.minutes << " min, width " << c.width;
}

TEST(MinutesOfDayDistance, RoundsToTheMillisecondAndDropsWholeDays) {
  struct Case {
    double distance;  // now − received, in days
    int expected;
  };
  const Case cases[] = {
      {0, 0},
      {59 * kSecond, 0},
      {60 * kSecond - 0.4 * kMsec, 1},  // 59,999.6 ms is 60,000 ms to the nearest millisecond
      {60 * kSecond - 0.6 * kMsec, 0},
      {239 * kMinute + 59 * kSecond, 239},
      {-30 * kMinute, 30},             // a time later than now counts by its distance
      {1 + 5 * kMinute, 5},            // whole days are dropped
      {3 - 2 * kMinute, 24 * 60 - 2},  // 2 days 23:58 → 23:58
  };
  for (const Case& c : cases)
    EXPECT_EQ(MinutesOfDayDistance(kNow, kNow - c.distance), c.expected) << c.distance;
}

TEST(PaintRule, ColoursTodaysRecentRowsAndTheLastNewScan) {
  const int width = 731;
  const CellPaint halfHourOld = PaintRuleFor(kNow, kNow - 30 * kMinute, kLastNew, kLastNew, width);
  struct Case {
    const char* what;
    DateTime now;
    DateTime received;
    DateTime updateDate;
    bool fromStrip;
    int stripX;  // when fromStrip
    bool red;
  };
  const Case cases[] = {
      {"received now", kNow, kNow, kLastNew - 1, true, width - 1, false},
      {"239 minutes old", kNow, kNow - 239 * kMinute, kLastNew - 1, true, 4, false},
      {"four hours old, last new scan", kNow, kNow - 240 * kMinute, kLastNew, false, 0, true},
      {"six hours old, other scan", kNow, kNow - 360 * kMinute, kLastNew + kSecond, false, 0, false},
      {"30 minutes ahead", kNow, kNow + 30 * kMinute, kLastNew, true, halfHourOld.stripX, true},
      {"23:50 yesterday painted at 00:05", EncodeDateTime(2026, 3, 15, 0, 5),
       EncodeDateTime(2026, 3, 14, 23, 50), kLastNew, false, 0, false},
      {"last new scan, received on an earlier date", kNow, kNow - 1, kLastNew, false, 0, false},
  };
  for (const Case& c : cases) {
    const CellPaint paint = PaintRuleFor(c.now, c.received, c.updateDate, kLastNew, width);
    EXPECT_EQ(paint.fromStrip, c.fromStrip) << c.what;
    if (c.fromStrip) {
      EXPECT_EQ(paint.stripX, c.stripX) << c.what;
    }
    EXPECT_EQ(paint.red, c.red) << c.what;
  }
  EXPECT_TRUE(halfHourOld.fromStrip);
}

TEST(IsFromLastNewScan, ComparesStampsAsTheSettingsFileHoldsThem) {
  struct Case {
    const char* what;
    DateTime update;
    DateTime lastNew;
    bool expected;
  };
  const Case cases[] = {
      {"same second", kLastNew, kLastNew, true},
      {"row stamp with milliseconds", kLastNew + 400 * kMsec, kLastNew, true},
      {"both with milliseconds, as right after a scan", kLastNew + 400 * kMsec, kLastNew + 400 * kMsec, true},
      {"one second apart", kLastNew + kSecond, kLastNew, false},
      {"one day apart", kLastNew + 1, kLastNew, false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsFromLastNewScan(c.update, c.lastNew), c.expected) << c.what;
}

int Distance(const QColor& a, const QColor& b) {
  return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
}

TEST(StatusStrip, PaintsAGradientFromWindowToHighlightBelowItsText) {
  StatusStrip strip;
  QPalette palette = strip.palette();
  palette.setColor(QPalette::Window, QColor(240, 240, 240));
  palette.setColor(QPalette::Highlight, QColor(0, 90, 200));
  strip.setPalette(palette);
  strip.resize(731, 20);
  const int row = strip.height() - 2;

  EXPECT_LE(Distance(strip.ColorAt(0, row), QColor(240, 240, 240)), 6);
  EXPECT_LE(Distance(strip.ColorAt(730, row), QColor(0, 90, 200)), 6);
  for (int x = 10; x < 731; x += 10)
    EXPECT_LE(strip.ColorAt(x, row).blue(), strip.ColorAt(x - 10, row).blue() + 1) << x;

  // The text stands in the top rows only; the sampled row shows the gradient alone.
  const QColor before = strip.ColorAt(300, row);
  strip.setText(
      QStringLiteral("UpdateDate: 3/14/2026 3:30:00 PM   UpdateLast: 3/14/2026 9:00:00 AM gggjjjyyy"));
  EXPECT_EQ(strip.ColorAt(300, row), before);
  bool textPainted = false;
  for (int x = 0; x < 300 && !textPainted; ++x)
    for (int y = 0; y < row - 4 && !textPainted; ++y)
      textPainted = Distance(strip.ColorAt(x, y), before) > 200;
  EXPECT_TRUE(textPainted);

  // A resize repaints at the new width: the highlight moves to the new last column.
  strip.resize(200, 20);
  EXPECT_LE(Distance(strip.ColorAt(199, row), QColor(0, 90, 200)), 6);
  EXPECT_EQ(strip.ColorAt(200, row), QColor(Qt::black));
}

}  // namespace
}  // namespace feedwell::view
