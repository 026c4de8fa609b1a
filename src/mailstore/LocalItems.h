#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

#include "mailstore/MailStore.h"
#include "mailstore/MaildirLayout.h"
#include "mailstore/VCard.h"

// The items of one local folder: Maildir messages (listed and stat'ed, not opened) and the cards
// of its .vcf files.
namespace feedwell::mailstore {

struct ItemEntry {
  enum class Kind { Message, Contact, Unreadable } kind;
  QByteArray place;     // "cur" or "new" for a message; the .vcf file name for a contact
  QByteArray fileName;  // a message's file name
  qint64 mtimeNs = 0;
  int card = -1;  // index into FolderItems::cards
  QString error;  // why an Unreadable entry could not be read
};

struct FolderItems {
  QString folderName;
  QString directory;
  std::vector<ItemEntry> entries;
  std::vector<VCard> cards;
};

// Lists a folder's items. Raises Error when the folder's directory cannot be read.
std::shared_ptr<FolderItems> ListFolderItems(const FolderLocation& folder);

// The Maildir unique name: the file name before the ":2," info part.
QByteArray UniqueName(const QByteArray& fileName);

std::unique_ptr<ItemCollection> MakeLocalItemCollection(std::shared_ptr<FolderItems> items);

}  // namespace feedwell::mailstore
