#include "collection/FolderScan.h"

#include "collection/RunGuards.h"
#include "collection/SenderFilter.h"
#include "common/Clock.h"
#include "common/Error.h"
#include "page/PageGenerator.h"
#include "settings/IniFile.h"

namespace feedwell {
namespace {

// The six properties the scan reads of a message, in the order it reads them.
struct MailFields {
  DateTime sent = 0;
  DateTime received = 0;
  QString body;
  QString sender;
  QString entryId;
  QString subject;
};

// One mail scan: the folders it reads and the messages it stores.
class MailScan {
 public:
  MailScan(Session& session, Host& host) : session_(session), host_(host), filter_(session.home) {}

  // Reads one folder newest first. The limit and the sender-filter option are read live, so a change
  // made while the scan runs takes effect at the next message.
  void ScanMailFolder(mailstore::Folder& folder) {
    const QString name = folder.Name();
    host_.LogActivity(QStringLiteral("Start scanning [") + name + u']');
    const std::unique_ptr<mailstore::ItemCollection> items = folder.Items();
    items->Sort(QStringLiteral("ReceivedTime"), true);
    const int c = items->Count();
    int i = 1;  // the number the next accepted message gets
    int p = 1;  // the position of the next item
    while (p <= c && i <= session_.config.MessageLimit) {
      const int count = items->Count();
      const int q = count > 0 ? static_cast<int>(100LL * p / count) : 100;
      host_.SetStatusText(QStringLiteral("%1:%2/%3 - Total processed: %4%").arg(i).arg(p).arg(c).arg(q));
      MailFields mail;
      if (ReadItem(*items, p, name, &mail) && StoreMessage(name, i, mail)) ++i;
      ++p;
      host_.LogActivity(QStringLiteral("Rec: %1").arg(p));
      host_.ProcessEvents();
    }
    host_.LogActivity(QStringLiteral("End scanning [") + name + u']');
  }

 private:
  // Reads the item at `position`. An item that is not a mail message or cannot be read is logged and
  // skipped, so one bad item does not end the scan.
  bool ReadItem(mailstore::ItemCollection& items, int position, const QString& folderName, MailFields* mail) {
    try {
      const std::unique_ptr<mailstore::StoreItem> item = items.Item(position);
      mail->sent = item->SentOn();
      mail->received = item->ReceivedTime();
      mail->body = item->HTMLBody();
      mail->sender = item->SenderEmailAddress();
      mail->entryId = item->EntryID();
      mail->subject = item->Subject();
      return true;
    } catch (const std::bad_alloc&) {
      throw;
    } catch (const std::exception& e) {
      host_.LogActivity(
          QStringLiteral("Skipped item %1 of [%2]: %3").arg(position).arg(folderName, ErrorMessage(e)));
      return false;
    }
  }

  // Applies the sender filter, then stores the message unless the table already holds its entry id.
  // Answers whether the message was accepted (stored now or before).
  bool StoreMessage(const QString& folderName, int index, const MailFields& mail) {
    if (!session_.config.IncludeUnknown && !filter_.Accepts(mail.sender)) return false;
    host_.LogActivity(QStringLiteral("%1: SentOn (%2)  ReceivedOn (%3) - %4")
                          .arg(index)
                          .arg(DateTimeToText(mail.sent), DateTimeToText(mail.received), mail.subject));
    MessageTable& table = session_.table;
    if (table.FindByEntryId(mail.entryId)) return true;
    MessageRecord record;
    record.RecId = table.RecordCount() + 1;
    record.SourceName = folderName;
    record.InIndex = index;
    record.SentON = mail.sent;
    record.ReceivedDate = mail.received;
    record.Subject = mail.subject;
    record.UpdateDate = session_.FUpdateDate;
    record.MsgContent = mail.body;
    record.FromEmail = mail.sender;
    record.EntryID = mail.entryId;
    table.Insert(record);
    session_.FUpdateLastNew = session_.FUpdateDate;
    ++session_.FtotalNew;
    return true;
  }

  Session& session_;
  Host& host_;
  SenderFilter filter_;
};

// Puts the scan mark back to its value from before the run unless the run got far enough to mark
// itself completed.
class ScanMark {
 public:
  explicit ScanMark(Session& session) : session_(session), previous_(session.scanTag) {
    session.scanTag = 99;
  }
  ~ScanMark() {
    if (!completed_) session_.scanTag = previous_;
  }
  void Complete() {
    completed_ = true;
    session_.scanTag = 1;
  }
  ScanMark(const ScanMark&) = delete;
  ScanMark& operator=(const ScanMark&) = delete;

 private:
  Session& session_;
  int previous_;
  bool completed_ = false;
};

}  // namespace

void actScanExecute(Session& session, Host& host, mailstore::Application& store) {
  Configuration& config = session.config;
  if (config.FolderToScanEntryID == u"0") {
    host.ShowMessage(QStringLiteral("Select folder to scan!"));
    return;
  }
  const BusyMark busy(session);
  ScanMark mark(session);
  // Only what the text form shows, so that records and the settings file agree to the second.
  const DateTime now = Now();
  session.FUpdateDate = TextToDateTime(DateTimeToText(now), now);
  session.FtotalNew = 0;
  session.table.OpenIfClosed();

  MailScan scan(session, host);
  VisitFolderAndSubfolders(
      session, host, store, config.FolderToScanEntryID, config.FolderToScanStoreID,
      [&config] { return config.ScanSubFolders; },
      [&scan](mailstore::Folder& folder) { scan.ScanMailFolder(folder); });

  IniFile settings(session.home.GetSettingsFileName());
  settings.WriteDateTime(QStringLiteral("Default"), QStringLiteral("UpdateDate"), session.FUpdateDate);
  settings.WriteDateTime(QStringLiteral("Default"), QStringLiteral("UpdateLastNew"), session.FUpdateLastNew);
  host.SetStatusText(QStringLiteral("Last Scanned: %1   Total: %2   New: %3")
                         .arg(DateTimeToText(Now()))
                         .arg(session.table.RecordCount())
                         .arg(session.FtotalNew));
  session.table.SaveToFile(session.home.GetDataFileName());
  mark.Complete();
  host.ClearActivityLog();
  session.table.Trim(100);
  GeneratePage(session.home, session.recordTemplate, host);
}

}  // namespace feedwell
