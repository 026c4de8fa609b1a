#include "settings/Settings.h"

#include <limits>

#include "settings/IniFile.h"

namespace feedwell {
namespace {

const QString kDefaults = QStringLiteral("DEFAULTS");
const QString kContacts = QStringLiteral("CONTACTS");
const QString kGrid = QStringLiteral("GRID");
const QString kFolderScanId = QStringLiteral("FOLDERSCANID");
const QString kStoreId = QStringLiteral("STOREID");
const QString kFolderName = QStringLiteral("FOLDERNAME");
const QString kScanSubFolders = QStringLiteral("SCANSUBFOLDERS");
const QString kIncludeUnknown = QStringLiteral("INCLUDEUNKNOWN");
const QString kTotalMessages = QStringLiteral("TOTALMESSAGES");

QString ColumnKey(const QString& caption) {
  return QStringLiteral("WIDTHCOLUMN") + caption;
}

// Our holders are 32-bit: a stored number outside that range is treated like any other value that
// is not an integer, and leaves the holder as it is.
int ReadInt(const IniFile& ini, const QString& section, const QString& key, int current) {
  const qint64 value = ini.ReadInteger(section, key, current);
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) return current;
  return static_cast<int>(value);
}

}  // namespace

bool LoadSettings(const QString& path, Configuration& config, ColumnWidths* columns) {
  const IniFile ini(path);
  config.FolderToScanEntryID = ini.ReadString(kDefaults, kFolderScanId, QStringLiteral("0"));
  config.FolderToScanStoreID = ini.ReadString(kDefaults, kStoreId, QStringLiteral("0"));
  config.FolderName = ini.ReadString(kDefaults, kFolderName, QStringLiteral("---"));
  config.ScanSubFolders = ini.ReadBool(kDefaults, kScanSubFolders, config.ScanSubFolders);
  config.IncludeUnknown = ini.ReadBool(kDefaults, kIncludeUnknown, config.IncludeUnknown);
  config.MessageLimit = ReadInt(ini, kDefaults, kTotalMessages, config.MessageLimit);

  config.ContactsFolderToScanEntryID =
      ini.ReadString(kContacts, kFolderScanId, config.ContactsFolderToScanEntryID);
  config.ContactsFolderToScanStoreID =
      ini.ReadString(kContacts, kStoreId, config.ContactsFolderToScanStoreID);
  config.ContactsFolderName = ini.ReadString(kContacts, kFolderName, config.ContactsFolderName);

  if (columns) {
    for (const QString& caption : columns->Captions())
      columns->SetWidth(caption, ReadInt(ini, kGrid, ColumnKey(caption), columns->Width(caption)));
  }
  return config.ContactsFolderToScanEntryID.isEmpty();
}

void SaveSettings(const QString& path, const Configuration& config, const ColumnWidths* columns) {
  IniFile ini(path);
  ini.WriteString(kDefaults, kFolderScanId, config.FolderToScanEntryID);
  ini.WriteString(kDefaults, kStoreId, config.FolderToScanStoreID);
  ini.WriteString(kDefaults, kFolderName, config.FolderName);
  ini.WriteBool(kDefaults, kScanSubFolders, config.ScanSubFolders);
  ini.WriteBool(kDefaults, kIncludeUnknown, config.IncludeUnknown);
  ini.WriteInteger(kDefaults, kTotalMessages, config.MessageLimit);

  ini.WriteString(kContacts, kFolderScanId, config.ContactsFolderToScanEntryID);
  ini.WriteString(kContacts, kStoreId, config.ContactsFolderToScanStoreID);
  ini.WriteString(kContacts, kFolderName, config.ContactsFolderName);

  if (columns) {
    for (const QString& caption : columns->Captions())
      ini.WriteInteger(kGrid, ColumnKey(caption), columns->Width(caption));
  }
}

QString FirstRunQuestion() {
  return QStringLiteral(
      "In order to create list you would need\rTo create contacts thumbnails, by selecting\ra contacts "
      "folder from outlook.\r(You can always access these settings\ragain, by pressing "
      "configuration...)\r\rRun properties now?");
}

}  // namespace feedwell
