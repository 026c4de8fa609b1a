#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace feedwell::test {

TempHome::TempHome(bool withFolders) : home_(dir_.path(), QStringLiteral("feedwell")) {
  if (!dir_.isValid()) throw std::runtime_error("cannot create a temporary folder");
  if (!withFolders) return;
  for (const QString& sub : {home_.TemplatesDir(), home_.ContactsDir(), home_.ExcludeDir()})
    QDir().mkpath(sub);
  const QString source = QStringLiteral(FEEDWELL_SOURCE_DIR "/templates");
  for (const QString& name : QDir(source).entryList({QStringLiteral("*.html")}, QDir::Files)) {
    QFile::copy(source + u'/' + name, home_.TemplatesDir() + u'/' + name);
  }
}

void TempHome::WriteFile(const QString& relative, const QByteArray& bytes) const {
  const QString path = home_.Path(relative);
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
    throw std::runtime_error("cannot write test file " + path.toStdString());
  }
}

}  // namespace feedwell::test
