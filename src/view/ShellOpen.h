#pragma once

#include <QString>

namespace feedwell::view {

// Asks the desktop to open a file path or an address with its usual program. Reports nothing when
// the desktop cannot open it (a page not generated yet, for instance).
void OpenWithShell(const QString& path);

}  // namespace feedwell::view
