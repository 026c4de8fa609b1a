#pragma once

#include <QString>

namespace feedwell {

// What the user chose in the configuration dialog. While the program runs these are the settings:
// the dialog edits them, the settings file is read into them and written from them, and the runs
// read them live at the moment they need them.
struct Configuration {
  QString FolderToScanEntryID = QStringLiteral("0");  // "0": no mail folder chosen
  QString FolderToScanStoreID;
  QString FolderName;           // display name of the mail folder ("---" once read when unset)
  bool ScanSubFolders = true;   // "Scan subfolders as well"
  bool IncludeUnknown = false;  // "Include messages from contacts that aren't in my addressbook"
  int MessageLimit = 100;       // "Messages to Scan in Folder"

  QString ContactsFolderToScanEntryID;
  QString ContactsFolderToScanStoreID;
  QString ContactsFolderName;      // display name of the contacts folder
  bool ContactsSubFolders = true;  // "Scan contacts folder subfolders as well" (never stored)
};

}  // namespace feedwell
