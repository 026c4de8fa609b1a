#pragma once

#include <QString>
#include <utility>
#include <vector>

namespace feedwell {

// A placeholder name with its percent signs ("%MSGSUBJECT%") and the text that replaces it.
using Placeholder = std::pair<QString, QString>;

// Replaces every placeholder in one left-to-right pass, matching names without regard to letter
// case. A value that has been put in is never searched again, so a subject that reads "%MSGMORE%"
// stays as it is. Where two names match at one place, the earlier in `placeholders` wins.
QString FillPlaceholders(const QString& text, const std::vector<Placeholder>& placeholders);

}  // namespace feedwell
