#pragma once

#include "collection/Session.h"
#include "common/Host.h"
#include "mailstore/MailStore.h"

namespace feedwell {

// The mail scan ("Scan & GenHTML"): reads the chosen folder (and, when the options say so, its
// direct subfolders) newest first, stores the accepted new messages in the session's table, then
// writes the time stamps, saves the table, trims it and generates the page. With no folder chosen
// it only shows "Select folder to scan!". Raises Error when the run fails; the list is resumed and
// the store logged off in every case.
void actScanExecute(Session& session, Host& host, mailstore::Application& store);

}  // namespace feedwell
