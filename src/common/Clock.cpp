#include "common/Clock.h"

namespace feedwell {
namespace {
std::optional<DateTime>& FixedNow() {
  static std::optional<DateTime> fixed;
  return fixed;
}
}  // namespace

DateTime Now() {
  if (FixedNow()) return *FixedNow();
  return FromQDateTime(QDateTime::currentDateTime());
}

ScopedFixedClock::ScopedFixedClock(DateTime now) : previous_(FixedNow()) {
  FixedNow() = now;
}
ScopedFixedClock::~ScopedFixedClock() {
  FixedNow() = previous_;
}
void ScopedFixedClock::Set(DateTime now) {
  FixedNow() = now;
}

}  // namespace feedwell
