#include <QFile>
#include <algorithm>
#include <optional>

#include "common/Error.h"
#include "mailstore/CardImage.h"
#include "mailstore/LocalItems.h"
#include "mailstore/MaildirMessage.h"

namespace feedwell::mailstore {
namespace {

using Kind = ItemEntry::Kind;

DateTime ToDateTime(qint64 mtimeNs) {
  return FromQDateTime(QDateTime::fromMSecsSinceEpoch(mtimeNs / 1000000, Qt::LocalTime));
}

class LocalStoreItem : public StoreItem {
 public:
  LocalStoreItem(std::shared_ptr<FolderItems> items, size_t index, int position)
      : items_(std::move(items)), index_(index), position_(position) {}

  DateTime SentOn() override {
    const MessageContent& content = Content();
    return content.date ? FromQDateTime(*content.date) : ReceivedTime();
  }
  DateTime ReceivedTime() override { return ToDateTime(Message().mtimeNs); }
  QString HTMLBody() override { return Content().htmlBody; }
  QString SenderEmailAddress() override { return Content().sender; }
  QString EntryID() override { return QFile::decodeName(UniqueName(Message().fileName)); }
  QString Subject() override { return Content().subject; }

  QString Email1Address() override { return Card().emails.value(0); }
  QString Email2Address() override { return Card().emails.value(1); }
  QString Email3Address() override { return Card().emails.value(2); }
  void SaveBusinessCardImage(const QString& path) override {
    const VCard& card = Card();
    SaveBitmapFile(RenderBusinessCard(card.name, card.emails.value(0), DecodePhoto(card.photo)), path);
  }

 private:
  ItemEntry& Entry() { return items_->entries.at(index_); }

  QString Describe() const { return QStringLiteral("item %1 of %2").arg(position_).arg(items_->folderName); }

  [[noreturn]] void Fail(const QString& reason) const {
    throw Error(QStringLiteral("%1 %2").arg(Describe(), reason));
  }

  ItemEntry& Message() {
    ItemEntry& entry = Entry();
    if (entry.kind == Kind::Unreadable) Fail(QStringLiteral("cannot be read: ") + entry.error);
    if (entry.kind != Kind::Message) Fail(QStringLiteral("is not a mail message"));
    return entry;
  }

  const VCard& Card() {
    ItemEntry& entry = Entry();
    if (entry.kind == Kind::Unreadable) Fail(QStringLiteral("cannot be read: ") + entry.error);
    if (entry.kind != Kind::Contact) Fail(QStringLiteral("is not a contact"));
    return items_->cards.at(static_cast<size_t>(entry.card));
  }

  QString PathOf(const ItemEntry& entry) const {
    return items_->directory + u'/' + QFile::decodeName(entry.place) + u'/' +
           QFile::decodeName(entry.fileName);
  }

  // A message whose flags changed was renamed within the Maildir: find it by its unique name.
  bool FindRenamed(ItemEntry& entry) {
    const QByteArray unique = UniqueName(entry.fileName);
    for (const char* place : {"cur", "new"}) {
      const QString dir = items_->directory + u'/' + QLatin1String(place);
      try {
        for (const DirectoryEntry& candidate : ReadDirectory(dir)) {
          if (!candidate.directory && UniqueName(candidate.name) == unique &&
              candidate.name != entry.fileName) {
            entry.place = place;
            entry.fileName = candidate.name;
            return true;
          }
        }
      } catch (const Error&) {
      }
    }
    return false;
  }

  // The message is read once, on the first property that needs its content; a failure is kept too.
  const MessageContent& Content() {
    if (content_) return *content_;
    if (!readError_.isEmpty()) Fail(readError_);
    ItemEntry& entry = Message();
    try {
      try {
        content_ = ReadMessageFile(PathOf(entry));
      } catch (const MessageFileMissing&) {
        if (!FindRenamed(entry)) throw;
        content_ = ReadMessageFile(PathOf(entry));
      }
    } catch (const MessageFileMissing&) {
      readError_ = QStringLiteral("cannot be read: its file %1 was removed from %2")
                       .arg(QFile::decodeName(entry.fileName), items_->directory);
      Fail(readError_);
    } catch (const Error& error) {
      readError_ = QStringLiteral("cannot be read: ") + error.message();
      Fail(readError_);
    }
    return *content_;
  }

  std::shared_ptr<FolderItems> items_;
  size_t index_;
  int position_;
  std::optional<MessageContent> content_;
  QString readError_;
};

class LocalItemCollection : public ItemCollection {
 public:
  explicit LocalItemCollection(std::shared_ptr<FolderItems> items) : items_(std::move(items)) {
    order_.resize(items_->entries.size());
    for (size_t i = 0; i < order_.size(); ++i) order_[i] = i;
  }

  void Sort(const QString& property, bool descending) override {
    if (property.compare(QLatin1String("ReceivedTime"), Qt::CaseInsensitive) != 0)
      throw Error(
          QStringLiteral("the items of %1 cannot be sorted by \"%2\"").arg(items_->folderName, property));
    const auto& entries = items_->entries;
    std::stable_sort(order_.begin(), order_.end(), [&](size_t a, size_t b) {
      const qint64 left = entries[a].mtimeNs;
      const qint64 right = entries[b].mtimeNs;
      return descending ? left > right : left < right;
    });
  }

  int Count() override { return static_cast<int>(order_.size()); }

  std::unique_ptr<StoreItem> Item(int index) override {
    if (index < 1 || index > Count())
      throw Error(
          QStringLiteral("%1 has no item %2 (it holds %3)").arg(items_->folderName).arg(index).arg(Count()));
    return std::make_unique<LocalStoreItem>(items_, order_[static_cast<size_t>(index - 1)], index);
  }

 private:
  std::shared_ptr<FolderItems> items_;
  std::vector<size_t> order_;
};

}  // namespace

std::unique_ptr<ItemCollection> MakeLocalItemCollection(std::shared_ptr<FolderItems> items) {
  return std::make_unique<LocalItemCollection>(std::move(items));
}

}  // namespace feedwell::mailstore
