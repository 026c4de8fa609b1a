#include "collection/ContactThumbs.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include "collection/RunGuards.h"
#include "collection/SenderFilter.h"
#include "common/Error.h"
#include "common/Text.h"
#include "common/TextFile.h"

namespace feedwell {
namespace {

constexpr int kThumbSize = 70;
constexpr int kThumbOffset = 10;

// The square from (10, 10) to (80, 80) of the card, pixel for pixel. Where the card is smaller the
// thumbnail stays white rather than showing undefined pixels.
QImage CutThumbnail(const QImage& card) {
  QImage thumb(kThumbSize, kThumbSize, QImage::Format_RGB32);
  thumb.fill(Qt::white);
  QPainter painter(&thumb);
  painter.drawImage(QPoint(0, 0), card, QRect(kThumbOffset, kThumbOffset, kThumbSize, kThumbSize));
  painter.end();
  return thumb;
}

class ContactsRun {
 public:
  ContactsRun(Session& session, Host& host) : session_(session), host_(host) {}

  void ScanContactsFolder(mailstore::Folder& folder) {
    const QString name = folder.Name();
    host_.LogActivity(QStringLiteral("Start scanning [") + name + u']');
    const std::unique_ptr<mailstore::ItemCollection> items = folder.Items();
    const int c = items->Count();
    for (int i = 1; i <= c; ++i) {
      const int count = items->Count();
      const int q = count > 0 ? static_cast<int>(100LL * i / count) : 100;
      host_.SetStatusText(QStringLiteral("%1/%2 - Total processed: %3%").arg(i).arg(c).arg(q));
      const std::unique_ptr<mailstore::StoreItem> item = items->Item(i);
      // One contact's failure ends only that contact; the line says why its thumbnails are missing.
      try {
        SaveContactThumb(*item, item->Email1Address());
        SaveContactThumb(*item, item->Email2Address());
        SaveContactThumb(*item, item->Email3Address());
      } catch (const std::bad_alloc&) {
        throw;
      } catch (const std::exception& e) {
        host_.LogActivity(QStringLiteral("Skipped contact %1 of [%2]: %3").arg(i).arg(name, ErrorMessage(e)));
      }
      host_.ProcessEvents();
    }
    host_.LogActivity(QStringLiteral("End scanning [") + name + u']');
  }

 private:
  // Writes Data/contacts/<address>.bmp from the contact's card image; the address is used as the
  // contact holds it. A blank address is passed over; one that could name another folder is
  // skipped with a log line.
  void SaveContactThumb(mailstore::StoreItem& item, const QString& address) {
    if (Trim(address).isEmpty()) return;
    if (!IsFileNameSafeAddress(address)) {
      host_.LogActivity(QStringLiteral("Skipped the address \"%1\": it cannot name a thumbnail file")
                            .arg(PrintableAddress(address)));
      return;
    }
    const QString contactsDir = session_.home.ContactsDir();
    const QString cardPath = contactsDir + QStringLiteral("/tmp.bmp");
    item.SaveBusinessCardImage(cardPath);
    QImage card;
    if (!card.load(cardPath, "BMP")) {
      throw Error(QStringLiteral("the card image \"%1\" cannot be read as a bitmap").arg(cardPath));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!CutThumbnail(card).save(&buffer, "BMP")) {
      throw Error(QStringLiteral("the thumbnail for \"%1\" cannot be encoded").arg(address));
    }
    WriteFileAtomically(contactsDir + u'/' + address + QStringLiteral(".bmp"), bytes);
  }

  Session& session_;
  Host& host_;
};

}  // namespace

void CreateContactsThumb(Session& session, Host& host, mailstore::Application& store) {
  const BusyMark busy(session);
  const Configuration& config = session.config;
  ContactsRun run(session, host);
  VisitFolderAndSubfolders(
      session, host, store, config.ContactsFolderToScanEntryID, config.ContactsFolderToScanStoreID,
      [&config] { return config.ContactsSubFolders; },
      [&run](mailstore::Folder& folder) { run.ScanContactsFolder(folder); });
}

}  // namespace feedwell
