#include "mailstore/MaildirLayout.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>

#include "common/Error.h"
#include "mailstore/ModifiedUtf7.h"

namespace feedwell::mailstore {
namespace {

constexpr int kDeepestSearch = 8;  // how far below a directory we look for mail or contacts

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

QByteArray Local(const QString& path) {
  return QFile::encodeName(path);
}

std::optional<DirectoryKey> KeyOf(const QString& path) {
  struct stat info {};
  if (::stat(Local(path).constData(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
  return DirectoryKey{info.st_dev, info.st_ino};
}

bool IsDirectory(const QString& path) {
  return KeyOf(path).has_value();
}

bool IsMaildir(const QString& path) {
  return IsDirectory(path + QStringLiteral("/cur")) || IsDirectory(path + QStringLiteral("/new"));
}

bool IsMaildirPart(const QByteArray& name) {
  return name == "cur" || name == "new" || name == "tmp";
}

bool IsVCardFile(const QByteArray& name) {
  return name.toLower().endsWith(".vcf") && !name.startsWith('.');
}

QString DisplayName(const QByteArray& onDisk) {
  const QString decoded = DecodeModifiedUtf7(onDisk);
  return decoded.isNull() || decoded.isEmpty() ? QFile::decodeName(onDisk) : decoded;
}

bool HoldsVCards(const QString& path) {
  try {
    for (const DirectoryEntry& entry : ReadDirectory(path)) {
      if (!entry.directory && IsVCardFile(entry.name)) return true;
    }
  } catch (const Error&) {
  }
  return false;
}

// A directory that is a folder in the nested layout: a Maildir, a contacts folder, or a directory
// with such folders below it.
bool HoldsFolders(const QString& path, std::vector<DirectoryKey>& seen, int depth) {
  const auto key = KeyOf(path);
  if (!key || depth > kDeepestSearch || std::find(seen.begin(), seen.end(), *key) != seen.end()) return false;
  if (IsMaildir(path) || HoldsVCards(path)) return true;
  seen.push_back(*key);
  try {
    for (const DirectoryEntry& entry : ReadDirectory(path)) {
      if (entry.directory && !entry.name.startsWith('.') && !IsMaildirPart(entry.name) &&
          HoldsFolders(path + u'/' + QFile::decodeName(entry.name), seen, depth + 1))
        return true;
    }
  } catch (const Error&) {
  }
  return false;
}

QString LastSegment(const QString& entryId) {
  return entryId.section(u'/', -1);
}

bool IsMaildirPlusPlus(const QString& entryId) {
  return entryId != u'.' && LastSegment(entryId).startsWith(u'.');
}

QString Join(const QString& entryId, const QString& segment) {
  return entryId == u'.' ? segment : entryId + u'/' + segment;
}

// The entry id's parent path ("." at the top) and the directory holding its Maildir++ siblings.
QString ParentEntry(const QString& entryId) {
  const qsizetype slash = entryId.lastIndexOf(u'/');
  return slash < 0 ? QStringLiteral(".") : entryId.left(slash);
}

// A Maildir++ root holds every folder of the store as one flat directory, and each folder's children
// are found in it by name prefix. Listing it once per folder would make building a tree of n folders
// cost n × n; a listing is kept sorted and reused for as long as the directory is unchanged (same
// inode and modification time).
struct CachedListing {
  dev_t device = 0;
  ino_t inode = 0;
  timespec modified{};
  std::vector<DirectoryEntry> sorted;
};

bool SameDirectory(const CachedListing& cached, const struct stat& info) {
  return cached.device == info.st_dev && cached.inode == info.st_ino &&
         cached.modified.tv_sec == info.st_mtim.tv_sec && cached.modified.tv_nsec == info.st_mtim.tv_nsec;
}

const std::vector<DirectoryEntry>& SortedListing(const QString& path) {
  static std::map<QString, CachedListing> cache;
  struct stat info {};
  if (::stat(Local(path).constData(), &info) == 0) {
    const auto found = cache.find(path);
    if (found != cache.end() && SameDirectory(found->second, info)) return found->second.sorted;
  }
  CachedListing listing{info.st_dev, info.st_ino, info.st_mtim, ReadDirectory(path)};
  std::sort(listing.sorted.begin(), listing.sorted.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  if (cache.size() >= 16) cache.clear();  // a few stores at most; keep memory bounded
  return (cache[path] = std::move(listing)).sorted;
}

// The entries whose names start with `prefix`, from the sorted listing.
std::vector<DirectoryEntry> EntriesWithPrefix(const QString& path, const QByteArray& prefix) {
  const std::vector<DirectoryEntry>& sorted = SortedListing(path);
  auto it =
      std::lower_bound(sorted.begin(), sorted.end(), prefix,
                       [](const DirectoryEntry& entry, const QByteArray& key) { return entry.name < key; });
  std::vector<DirectoryEntry> matches;
  for (; it != sorted.end() && it->name.startsWith(prefix); ++it) matches.push_back(*it);
  return matches;
}

void AddMaildirPlusPlusChildren(const FolderLocation& folder, std::vector<FolderLocation>& children) {
  // ".A" lists ".A.x" from the directory holding ".A"; the root and nested folders list ".x" from
  // their own directory.
  const bool plusPlus = IsMaildirPlusPlus(folder.entryId);
  const QString baseEntry = plusPlus ? ParentEntry(folder.entryId) : folder.entryId;
  const QString base = baseEntry == u'.' ? folder.root : folder.root + u'/' + baseEntry;
  const QByteArray prefix = plusPlus ? QFile::encodeName(LastSegment(folder.entryId)) + '.' : QByteArray(".");
  std::vector<QByteArray> seen;
  for (const DirectoryEntry& entry : EntriesWithPrefix(base, prefix)) {
    if (!entry.directory || entry.name.size() == prefix.size()) continue;
    const QByteArray rest = entry.name.mid(prefix.size());
    const QByteArray first = rest.left(rest.indexOf('.') < 0 ? rest.size() : rest.indexOf('.'));
    if (first.isEmpty() || std::find(seen.begin(), seen.end(), first) != seen.end()) continue;
    if (!IsMaildir(base + u'/' + QFile::decodeName(entry.name))) continue;
    seen.push_back(first);
    const QByteArray childDir = prefix + first;
    FolderLocation child;
    child.root = folder.root;
    child.entryId = Join(baseEntry, QFile::decodeName(childDir));
    child.name = DisplayName(first);
    child.implicit = !IsMaildir(base + u'/' + QFile::decodeName(childDir));
    child.ancestors = folder.ancestors;
    children.push_back(std::move(child));
  }
}

void AddNestedChildren(const FolderLocation& folder, std::vector<FolderLocation>& children) {
  const QString dir = folder.Directory();
  const auto key = KeyOf(dir);
  if (!key) return;
  std::vector<DirectoryKey> ancestors = folder.ancestors;
  ancestors.push_back(*key);
  for (const DirectoryEntry& entry : ReadDirectory(dir)) {
    if (!entry.directory || entry.name.startsWith('.') || IsMaildirPart(entry.name)) continue;
    const QString path = dir + u'/' + QFile::decodeName(entry.name);
    const auto childKey = KeyOf(path);
    if (!childKey || std::find(ancestors.begin(), ancestors.end(), *childKey) != ancestors.end()) continue;
    std::vector<DirectoryKey> seen = ancestors;
    if (!HoldsFolders(path, seen, 0)) continue;
    FolderLocation child;
    child.root = folder.root;
    child.entryId = Join(folder.entryId, QFile::decodeName(entry.name));
    child.name = DisplayName(entry.name);
    child.ancestors = ancestors;
    children.push_back(std::move(child));
  }
}

// True when `entryId` is `candidate` or lies below it.
bool Contains(const QString& candidate, const QString& entryId) {
  if (entryId == candidate || entryId.startsWith(candidate + u'/')) return true;
  return IsMaildirPlusPlus(candidate) && entryId.startsWith(candidate + u'.');
}

}  // namespace

QString FolderLocation::Directory() const {
  return entryId == u'.' ? root : root + u'/' + entryId;
}

std::vector<DirectoryEntry> ReadDirectory(const QString& path) {
  std::unique_ptr<DIR, DirCloser> dir(::opendir(Local(path).constData()));
  if (!dir)
    throw Error(QStringLiteral("The folder %1 cannot be read: %2")
                    .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
  std::vector<DirectoryEntry> entries;
  while (const dirent* entry = ::readdir(dir.get())) {
    const QByteArray name(entry->d_name);
    if (name == "." || name == "..") continue;
    bool directory = entry->d_type == DT_DIR;
    if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
      struct stat info {};
      directory = ::fstatat(dirfd(dir.get()), entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
    }
    entries.push_back({name, directory});
  }
  return entries;
}

FolderLocation RootFolder(const QString& root) {
  FolderLocation folder;
  folder.root = root;
  folder.entryId = QStringLiteral(".");
  const QString clean = QDir::cleanPath(root);
  folder.name = QFileInfo(clean).fileName();
  if (folder.name.isEmpty()) folder.name = clean;
  return folder;
}

std::vector<FolderLocation> ListSubfolders(const FolderLocation& folder) {
  std::vector<FolderLocation> children;
  AddMaildirPlusPlusChildren(folder, children);
  if (!folder.implicit) AddNestedChildren(folder, children);
  std::sort(children.begin(), children.end(), [](const FolderLocation& a, const FolderLocation& b) {
    const int byName = a.name.compare(b.name, Qt::CaseInsensitive);
    return byName != 0 ? byName < 0 : a.entryId < b.entryId;
  });
  return children;
}

std::optional<FolderLocation> ResolveFolder(const QString& root, const QString& entryId) {
  FolderLocation folder = RootFolder(root);
  if (!IsDirectory(root)) return std::nullopt;
  if (entryId == u'.') return folder;
  const QStringList segments = entryId.split(u'/');
  for (const QString& segment : segments) {
    if (segment.isEmpty() || segment == u'.' || segment == QLatin1String("..") || segment.contains(QChar(0)))
      return std::nullopt;
  }
  // Walk down through the listed folders, so that exactly what Folders() shows can be opened.
  for (int step = 0; step <= entryId.size(); ++step) {
    std::optional<FolderLocation> next;
    try {
      for (FolderLocation& child : ListSubfolders(folder)) {
        if (Contains(child.entryId, entryId)) {
          next = std::move(child);
          break;
        }
      }
    } catch (const Error&) {
      return std::nullopt;
    }
    if (!next) return std::nullopt;
    if (next->entryId == entryId) return next;
    folder = std::move(*next);
  }
  return std::nullopt;
}

bool IsBookkeepingFile(const QByteArray& name) {
  static const char* const kPrefixes[] = {"dovecot",     "courierimap",   "maildirfolder",
                                          "maildirsize", "subscriptions", "."};
  for (const char* prefix : kPrefixes) {
    if (name.startsWith(prefix)) return true;
  }
  return false;
}

}  // namespace feedwell::mailstore
