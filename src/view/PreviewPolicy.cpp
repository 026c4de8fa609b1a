#include "view/PreviewPolicy.h"

#include <QDir>
#include <QFileInfo>

namespace feedwell::view {
namespace {

// The path with symbolic links resolved in the part of it that exists, so that a link inside Data
// cannot point the preview elsewhere, not even to a file that is not there yet.
QString ResolvedPath(const QString& path) {
  QString existing = QDir::cleanPath(path);
  QString rest;
  while (!existing.isEmpty() && !QFileInfo::exists(existing)) {
    const qsizetype slash = existing.lastIndexOf(u'/');
    if (slash < 0) return QDir::cleanPath(path);
    rest.prepend(existing.mid(slash));
    existing = slash == 0 ? QStringLiteral("/") : existing.left(slash);
  }
  const QString canonical = QFileInfo(existing).canonicalFilePath();
  return QDir::cleanPath((canonical.isEmpty() ? existing : canonical) + rest);
}

bool IsBelow(const QString& path, const QString& dir) {
  if (dir.isEmpty() || path.isEmpty()) return false;
  const QString root = ResolvedPath(dir);
  const QString target = ResolvedPath(path);
  return target == root || target.startsWith(root + u'/');
}

}  // namespace

bool PreviewMayRequest(const QUrl& url, const QString& dataDir) {
  if (!url.isValid()) return false;
  const QString scheme = url.scheme().toLower();
  if (scheme == QLatin1String(kPreviewScheme) || scheme == QLatin1String("data")) return true;
  if (scheme == QLatin1String("about")) return url.path() == QLatin1String("blank");
  if (scheme == QLatin1String("file")) return url.host().isEmpty() && IsBelow(url.toLocalFile(), dataDir);
  return false;
}

NavigationVerdict DecideNavigation(const QUrl& url, NavigationKind kind) {
  if (kind == NavigationKind::OwnLoad) return NavigationVerdict::Load;
  if (kind == NavigationKind::LinkClicked) {
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
        scheme == QLatin1String("mailto"))
      return NavigationVerdict::OpenOutside;
  }
  return NavigationVerdict::Refuse;
}

}  // namespace feedwell::view
