#include "common/Home.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace feedwell {
namespace {

QString ExecutablePath() {
  if (QCoreApplication::instance()) return QCoreApplication::applicationFilePath();
  return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

}  // namespace

QString Home::ProgramName() {
  const QString name = QFileInfo(ExecutablePath()).completeBaseName();
  return name.isEmpty() ? QStringLiteral("feedwell") : name;
}

QString Home::ExecutableDir() {
  return QFileInfo(ExecutablePath()).absolutePath();
}

Home Home::Resolve(const QString& dir) {
  if (!dir.isEmpty()) return Home(QDir(dir).absolutePath());
  const QString env = qEnvironmentVariable("FEEDWELL_HOME");
  if (!env.isEmpty()) return Home(QDir(env).absolutePath());
  const QString exeDir = ExecutableDir();
  if (QFileInfo(exeDir + QStringLiteral("/Templates")).isDir()) return Home(exeDir);
  QString data = qEnvironmentVariable("XDG_DATA_HOME");
  if (data.isEmpty()) data = QDir::homePath() + QStringLiteral("/.local/share");
  return Home(data + QStringLiteral("/feedwell"));
}

Home::Home(QString dir, QString programName) : dir_(std::move(dir)), programName_(std::move(programName)) {}

QString Home::Path(const QString& relative) const {
  return dir_ + u'/' + relative;
}
QString Home::GetSettingsFileName() const {
  return Path(programName_ + QStringLiteral(".ini"));
}
QString Home::GetDataFileName() const {
  return Path(programName_ + QStringLiteral(".data"));
}

QString FindExampleTemplates() {
  const QStringList candidates = {
      Home::ExecutableDir() + QStringLiteral("/../share/feedwell/templates"),
      QStringLiteral(FEEDWELL_INSTALLED_TEMPLATES),
      QStringLiteral(FEEDWELL_SOURCE_TEMPLATES),
  };
  for (const QString& candidate : candidates) {
    if (QFileInfo(candidate + QStringLiteral("/msgrecord.html")).isFile())
      return QDir(candidate).absolutePath();
  }
  return {};
}

}  // namespace feedwell
