#pragma once

#include <optional>

#include "common/DateTime.h"

namespace feedwell {

// The current local time. Tests fix it with ScopedFixedClock so that time stamps and the
// painting rule are reproducible.
DateTime Now();

class ScopedFixedClock {
 public:
  explicit ScopedFixedClock(DateTime now);
  ~ScopedFixedClock();
  ScopedFixedClock(const ScopedFixedClock&) = delete;
  ScopedFixedClock& operator=(const ScopedFixedClock&) = delete;
  void Set(DateTime now);

 private:
  std::optional<DateTime> previous_;
};

}  // namespace feedwell
