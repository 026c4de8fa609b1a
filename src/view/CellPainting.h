#pragma once

#include "common/DateTime.h"

namespace feedwell::view {

// How a cell of the message list is coloured. Recent messages take their background from the
// status strip's gradient, fading towards the window colour as they approach four hours of age;
// the rows of the latest scan that added messages are written in red. Both apply only to messages
// received on the current calendar date.
struct CellPaint {
  bool fromStrip = false;  // background taken from the strip at column stripX
  int stripX = 0;
  bool red = false;
};

// Whole minutes of the time-of-day distance between now and received: |now − received| in days, to
// the nearest millisecond, whole days dropped.
int MinutesOfDayDistance(DateTime now, DateTime received);

// The strip column whose colour a row `minutes` old takes: W − (W × minutes) div 240, at most W − 1.
// Negative when no column applies (four hours or more, or a strip without width).
int StripColumn(int minutes, int stripWidth);

// True when the row's update stamp, taken through the text form as the settings file holds stamps,
// is the latest scan that added messages.
bool IsFromLastNewScan(DateTime updateDate, DateTime updateLastNew);

// The whole rule for one row.
CellPaint PaintRuleFor(DateTime now, DateTime received, DateTime updateDate, DateTime updateLastNew,
                       int stripWidth);

}  // namespace feedwell::view
