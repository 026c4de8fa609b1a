#pragma once

#include <QString>

#include "collection/MessageTable.h"
#include "common/DateTime.h"
#include "common/Home.h"

namespace feedwell {

// The options of the configuration dialog. While the program runs these are the settings: the
// dialog edits them, the settings file is read into them and written from them, and the runs read
// them live at the moment they need them.
struct ScanOptions {
  QString FolderName;              // display name of the mail folder ("---" once read when unset)
  bool ScanSubFolders = true;      // "Scan subfolders as well"
  bool IncludeUnknown = false;     // "Include messages from contacts that aren't in my addressbook"
  int MessageLimit = 100;          // "Messages to Scan in Folder"
  QString ContactsFolderName;      // display name of the contacts folder
  bool ContactsSubFolders = true;  // "Scan contacts folder subfolders as well" (never stored)
};

// Everything the main window owns that the core runs read and write: the message table, the folder
// references, the scan time stamps, the scan-running mark and the record template. The window and
// the command line each hold one.
struct Session {
  explicit Session(Home h) : home(std::move(h)) {}
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  Home home;
  MessageTable table;
  ScanOptions options;

  QString FolderToScanEntryID = QStringLiteral("0");  // "0": no mail folder chosen
  QString FolderToScanStoreID;
  QString ContactsFolderToScanEntryID;
  QString ContactsFolderToScanStoreID;

  DateTime FUpdateDate = 0;     // time stamp of the current or latest mail scan
  DateTime FUpdateLastNew = 0;  // time stamp of the latest mail scan that inserted a record
  int FtotalNew = 0;            // records inserted by the current or latest mail scan

  // The Scan action's tag: 0 at start, 99 while a mail scan runs, 1 once one has completed.
  int scanTag = 0;
  // True while a scan, a contacts run or a page generation runs: commands that would nest are off.
  bool busy = false;

  // The record template, read once at start; its initial content stands in when reading failed.
  QString recordTemplate = QStringLiteral("memTemplate");
};

}  // namespace feedwell
