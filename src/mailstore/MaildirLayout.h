#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

// Where the folders of a local store are on disk. A store root may mix two layouts:
// Maildir++ (the root is the inbox; ".A.B" is folder B under A, and A need not exist as a
// directory: it is then an implicit folder with no messages) and nested directories (a
// directory holding a Maildir, .vcf files or such directories). Folder names on disk are IMAP
// modified UTF-7 when they decode as such.
namespace feedwell::mailstore {

using DirectoryKey = std::pair<dev_t, ino_t>;

struct FolderLocation {
  QString root;     // the store root's directory
  QString entryId;  // the path relative to the root, '/'-separated; "." for the root itself
  QString name;
  bool implicit = false;                // a Maildir++ parent that has no directory of its own
  std::vector<DirectoryKey> ancestors;  // the directories above, to stop at symlink loops

  QString Directory() const;
};

FolderLocation RootFolder(const QString& root);

// The direct subfolders, ordered by name. Raises Error when the folder cannot be read.
std::vector<FolderLocation> ListSubfolders(const FolderLocation& folder);

// The folder with this entry id below `root`, or none.
std::optional<FolderLocation> ResolveFolder(const QString& root, const QString& entryId);

// Maildir bookkeeping files of Dovecot, Courier and others: never messages or contacts.
bool IsBookkeepingFile(const QByteArray& name);

// A directory's entries without "." and ".."; raises Error naming the folder when unreadable.
struct DirectoryEntry {
  QByteArray name;
  bool directory;  // after following symlinks
};
std::vector<DirectoryEntry> ReadDirectory(const QString& path);

}  // namespace feedwell::mailstore
