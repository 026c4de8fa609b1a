#include "view/ShellOpen.h"

#include <QDesktopServices>
#include <QUrl>

namespace feedwell::view {

void OpenWithShell(const QString& path) {
  const QUrl url = path.contains(QLatin1String("://")) ? QUrl(path) : QUrl::fromLocalFile(path);
  QDesktopServices::openUrl(url);
}

}  // namespace feedwell::view
