#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <QFile>
#include <cerrno>
#include <cstring>
#include <memory>

#include "common/Error.h"
#include "mailstore/LocalItems.h"

namespace feedwell::mailstore {
namespace {

constexpr qint64 kLargestVCardFile = 64LL * 1024 * 1024;

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

qint64 MTimeNs(const struct stat& info) {
  return static_cast<qint64>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
}

QString SystemError(int error) {
  return QString::fromLocal8Bit(std::strerror(error));
}

// Messages of cur/ or new/: every regular file that is not hidden or bookkeeping.
void ListMessages(const QString& directory, const char* place, std::vector<ItemEntry>& entries) {
  const QByteArray path = QFile::encodeName(directory) + '/' + place;
  std::unique_ptr<DIR, DirCloser> dir(::opendir(path.constData()));
  if (!dir) {
    if (errno == ENOENT || errno == ENOTDIR) return;
    throw Error(
        QStringLiteral("The folder %1 cannot be read: %2").arg(QFile::decodeName(path), SystemError(errno)));
  }
  const int fd = dirfd(dir.get());
  while (const dirent* entry = ::readdir(dir.get())) {
    if (entry->d_name[0] == '.' || entry->d_type == DT_DIR) continue;
    const QByteArray name(entry->d_name);
    if (IsBookkeepingFile(name)) continue;
    struct stat info {};
    if (::fstatat(fd, entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode)) continue;
    entries.push_back({ItemEntry::Kind::Message, QByteArray(place), name, MTimeNs(info), -1, {}});
  }
}

void ListContacts(const QString& directory, FolderItems& items) {
  for (const DirectoryEntry& entry : ReadDirectory(directory)) {
    if (entry.directory || entry.name.startsWith('.') || !entry.name.toLower().endsWith(".vcf")) continue;
    const QString path = directory + u'/' + QFile::decodeName(entry.name);
    QFile file(path);
    struct stat info {};
    const bool stated = ::stat(QFile::encodeName(path).constData(), &info) == 0;
    if (!stated || !S_ISREG(info.st_mode)) continue;
    if (info.st_size > kLargestVCardFile) {
      items.entries.push_back({ItemEntry::Kind::Unreadable,
                               entry.name,
                               {},
                               MTimeNs(info),
                               -1,
                               QStringLiteral("the contacts file %1 is larger than 64 MB").arg(path)});
      continue;
    }
    if (!file.open(QIODevice::ReadOnly)) {
      items.entries.push_back({ItemEntry::Kind::Unreadable,
                               entry.name,
                               {},
                               MTimeNs(info),
                               -1,
                               QStringLiteral("%1 (%2)").arg(file.errorString(), path)});
      continue;
    }
    for (VCard& card : ReadVCards(file.readAll())) {
      items.cards.push_back(std::move(card));
      items.entries.push_back({ItemEntry::Kind::Contact,
                               entry.name,
                               {},
                               MTimeNs(info),
                               static_cast<int>(items.cards.size() - 1),
                               {}});
    }
  }
}

}  // namespace

QByteArray UniqueName(const QByteArray& fileName) {
  const qsizetype info = fileName.indexOf(":2,");
  return info < 0 ? fileName : fileName.left(info);
}

std::shared_ptr<FolderItems> ListFolderItems(const FolderLocation& folder) {
  auto items = std::make_shared<FolderItems>();
  items->folderName = folder.name;
  items->directory = folder.Directory();
  if (folder.implicit) return items;
  ListMessages(items->directory, "new", items->entries);
  ListMessages(items->directory, "cur", items->entries);
  ListContacts(items->directory, *items);
  return items;
}

}  // namespace feedwell::mailstore
