#pragma once

#include <QString>

#include "collection/MessageTable.h"
#include "common/DateTime.h"
#include "common/Home.h"
#include "settings/Configuration.h"

namespace feedwell {

// Everything the main window owns that the core runs read and write: the message table, the configuration
// (folder references and options), the scan time stamps, the scan-running mark and the record template. The
// window and the command line each hold one.
struct Session {
  explicit Session(Home h) : home(std::move(h)) {}
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  Home home;
  MessageTable table;
  Configuration config;  // folder choices and options, read live by the runs

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
