#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "mailstore/MailStore.h"

namespace feedwell::mailstore {

// One store of the local profile: a directory and the store id under which callers name it.
struct StoreRoot {
  QString path;
  QString storeId;
};

// The local mail store: Maildir folders and vCard folders below each root (see MaildirLayout.h).
// Each root is a store whose top folder carries the root directory's name. Folder EntryID is the
// path relative to the root ("." for the root); message EntryID is the Maildir unique name (the
// file name before ":2,"); ReceivedTime is the file's modification time, so sorting opens no
// file; a message is parsed when its item is first asked for a property, once.
std::unique_ptr<Application> MakeLocalStore(std::vector<StoreRoot> roots);

// Roots whose store id is their path as given.
std::unique_ptr<Application> MakeLocalStore(const QStringList& rootPaths);

}  // namespace feedwell::mailstore
