#include "collection/Startup.h"

#include <QFileInfo>

#include "common/Clock.h"
#include "common/TextFile.h"
#include "settings/IniFile.h"

namespace feedwell {

QString StartSession(Session& session) {
  session.recordTemplate = ReadTextFile(session.home.Path(QStringLiteral("Templates/msgrecord.html")));
  session.config.FolderToScanEntryID = QStringLiteral("0");

  const QString tableFile = session.home.GetDataFileName();
  if (QFileInfo::exists(tableFile)) session.table.LoadFromFile(tableFile);

  // Each default is taken at its own reading, as two separate clock readings.
  const IniFile settings(session.home.GetSettingsFileName());
  const QString section = QStringLiteral("Default");
  session.FUpdateDate = settings.ReadDateTime(section, QStringLiteral("UpdateDate"), Now());
  session.FUpdateLastNew = settings.ReadDateTime(section, QStringLiteral("UpdateLastNew"), Now());

  return QStringLiteral("UpdateDate: ") + DateTimeToText(session.FUpdateDate) +
         QStringLiteral("   UpdateLast: ") + DateTimeToText(session.FUpdateLastNew);
}

}  // namespace feedwell
