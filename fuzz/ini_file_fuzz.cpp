// libFuzzer target: the settings file on any bytes. Reading never fails; a write keeps the file
// readable, puts the value where a read finds it, and leaves the other keys readable as before.
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "settings/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("fuzz.ini"));
  {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
  }
  feedwell::IniFile ini(path);
  const QString section = QStringLiteral("DEFAULTS");
  const QStringList keysBefore = ini.ReadSectionKeys(section);
  QStringList valuesBefore;
  for (const QString& key : keysBefore) {
    const QString value = ini.ReadString(section, key, QStringLiteral("<none>"));
    if (value.size() > 2047) std::abort();
    valuesBefore.append(value);
  }
  (void)ini.ReadInteger(section, QStringLiteral("TOTALMESSAGES"), 100);
  (void)ini.ReadDateTime(QStringLiteral("Default"), QStringLiteral("UpdateDate"), 0);

  const QString key = QStringLiteral("FUZZKEY");
  ini.WriteString(section, key, QStringLiteral("written"));
  if (ini.ReadString(section, key, QString()) != QStringLiteral("written")) std::abort();
  for (qsizetype i = 0; i < keysBefore.size(); ++i) {
    if (keysBefore[i].compare(key, Qt::CaseInsensitive) == 0) continue;
    if (ini.ReadString(section, keysBefore[i], QStringLiteral("<none>")) != valuesBefore[i]) std::abort();
  }
  return 0;
}
