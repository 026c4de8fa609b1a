#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "collection/FolderScan.h"
#include "collection/SenderFilter.h"
#include "common/Clock.h"
#include "common/Error.h"
#include "common/TextFile.h"
#include "mailstore/MemoryStore.h"
#include "settings/IniFile.h"
#include "support/FakeHost.h"
#include "support/TableFixtures.h"
#include "support/TempHome.h"

static void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace feedwell {
namespace {

using mailstore::MemoryFolder;
using mailstore::MemoryMessage;
using mailstore::MemoryStore;

const DateTime kNow = EncodeDateTime(2026, 12, 11, 9, 30, 15, 700);

QStringList Ids(std::initializer_list<const char*> ids) {
  QStringList list;
  for (const char* id : ids) list << QLatin1String(id);
  return list;
}
constexpr double kHour = 1.0 / 24;

QVector<MessageRecord> ByRecId(QVector<MessageRecord> records) {
  std::sort(records.begin(), records.end(),
            [](const MessageRecord& a, const MessageRecord& b) { return a.RecId < b.RecId; });
  return records;
}

// A home with a memory store "Mail" whose folder Inbox is the one chosen to scan; senders with a
// thumbnail are accepted. The fake host shows the session's table, newest first.
class ScanTest : public ::testing::Test {
 protected:
  ScanTest()
      : clock_(kNow),
        session_(home_.home()),
        inbox_(store_.AddStore(QStringLiteral("Mail")).AddFolder(QStringLiteral("Inbox"))) {
    session_.recordTemplate = ReadTextFile(home_.Path(QStringLiteral("Templates/msgrecord.html")));
    session_.config.FolderToScanEntryID = inbox_.entryId();
    session_.config.FolderToScanStoreID = inbox_.storeId();
    session_.config.ScanSubFolders = false;
    host_.ShowTable(&session_.table);
  }

  // A message received `hoursAgo` before now, sent five minutes earlier.
  static MemoryMessage Mail(const QString& id, const QString& sender, double hoursAgo) {
    MemoryMessage m;
    m.entryId = id;
    m.receivedTime = kNow - hoursAgo * kHour;
    m.sentOn = m.receivedTime - kHour / 12;
    m.subject = QStringLiteral("Subject of ") + id;
    m.senderEmailAddress = sender;
    m.htmlBody = QStringLiteral("<p>Body of ") + id + QStringLiteral("</p>");
    return m;
  }

  void Thumbnail(const QString& fileName) {
    home_.WriteFile(QStringLiteral("Data/contacts/") + fileName, "BM");
  }
  void Marker(const QString& fileName) { home_.WriteFile(QStringLiteral("Data/Exclude/") + fileName, "BM"); }

  void Scan() {
    const std::unique_ptr<mailstore::Application> app = store_.MakeApplication();
    actScanExecute(session_, host_, *app);
  }

  // The stored entry ids in the order of insertion (the trim reorders the table itself).
  QStringList EntryIds() const {
    QVector<MessageRecord> records = session_.table.Records();
    std::sort(records.begin(), records.end(),
              [](const MessageRecord& a, const MessageRecord& b) { return a.RecId < b.RecId; });
    QStringList ids;
    for (const MessageRecord& r : records) ids << r.EntryID;
    return ids;
  }

  const MessageRecord* Find(const QString& entryId) const {
    for (const MessageRecord& r : session_.table.Records()) {
      if (r.EntryID == entryId) return &r;
    }
    return nullptr;
  }

  QStringList ScanLogLines() const { return host_.allLogLines(); }

  ScopedFixedClock clock_;
  test::TempHome home_;
  Session session_;
  MemoryStore store_;
  MemoryFolder& inbox_;
  test::FakeHost host_;
};

TEST(SenderFilter, RefusesAddressesThatCouldNameAnotherFolder) {
  const struct {
    QString address;
    bool safe;
  } cases[] = {
      {QStringLiteral("dana@example.com"), true},
      {QStringLiteral("..."), true},
      {QStringLiteral(".hidden@example.com"), true},
      {QStringLiteral(" lead@example.com"), true},
      {QString(), true},
      {QStringLiteral("."), false},
      {QStringLiteral(".."), false},
      {QStringLiteral("../Exclude/dana@example.com"), false},
      {QStringLiteral("a/b@example.com"), false},
      {QStringLiteral("a\\b@example.com"), false},
      {QStringLiteral("a") + QChar(0) + QStringLiteral("b"), false},
      {QStringLiteral("a\nb@example.com"), false},
      {QStringLiteral("a\x7f@example.com"), false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsFileNameSafeAddress(c.address), c.safe) << c.address.toStdString();
}

TEST(SenderFilter, MatchesThumbnailAndMarkerIgnoringLetterCase) {
  test::TempHome home;
  home.WriteFile(QStringLiteral("Data/contacts/Dana@Example.com.bmp"), "BM");
  home.WriteFile(QStringLiteral("Data/contacts/ruth@example.com.BMP"), "BM");
  home.WriteFile(QStringLiteral("Data/contacts/spam@example.com.bmp"), "BM");
  home.WriteFile(QStringLiteral("Data/Exclude/SPAM@example.com.bmp"), "");
  home.WriteFile(QStringLiteral("Data/contacts/sub/x.bmp"), "BM");
  home.WriteFile(QStringLiteral("Data/contacts/.bmp"), "BM");
  home.WriteFile(QStringLiteral("Data/contacts/notes.txt"), "");
  const struct {
    QString address;
    bool accepted;
  } cases[] = {
      {QStringLiteral("dana@example.com"), true},
      {QStringLiteral("DANA@EXAMPLE.COM"), true},
      {QStringLiteral("Ruth@example.com"), true},
      {QStringLiteral("spam@example.com"), false},  // the marker wins over the thumbnail
      {QStringLiteral("stranger@example.com"), false},
      {QStringLiteral("sub/x"), false},
      {QStringLiteral("notes.txt"), false},
      {QString(), true},  // the empty address names ".bmp", as it always did
  };
  SenderFilter filter(home.home());
  for (const auto& c : cases) EXPECT_EQ(filter.Accepts(c.address), c.accepted) << c.address.toStdString();
}

TEST(SenderFilter, MissingFoldersCountAsEmpty) {
  test::TempHome home(false);
  home.WriteFile(QStringLiteral("Data/contacts/dana@example.com.bmp"), "BM");
  SenderFilter filter(home.home());
  EXPECT_TRUE(filter.Accepts(QStringLiteral("dana@example.com")));  // no Data/Exclude
  test::TempHome bare(false);
  EXPECT_FALSE(SenderFilter(bare.home()).Accepts(QStringLiteral("dana@example.com")));
}

// The whole run on one folder: what it stores, logs, writes and in which order.
TEST_F(ScanTest, StoresAcceptedMessagesAndEndsWithFilesAndPage) {
  Thumbnail(QStringLiteral("dana@example.com.bmp"));
  Thumbnail(QStringLiteral("ruth@example.com.bmp"));
  Marker(QStringLiteral("ruth@example.com.bmp"));
  inbox_.AddMessage(Mail(QStringLiteral("m-old"), QStringLiteral("DANA@example.com"), 5));
  inbox_.AddMessage(Mail(QStringLiteral("m-new"), QStringLiteral("dana@example.com"), 1));
  inbox_.AddMessage(Mail(QStringLiteral("m-ruth"), QStringLiteral("ruth@example.com"), 2));
  inbox_.AddMessage(Mail(QStringLiteral("m-stranger"), QStringLiteral("stranger@example.com"), 3));
  Scan();

  // Newest first; only the sender with a thumbnail and no marker is accepted.
  ASSERT_EQ(EntryIds(), (QStringList{QStringLiteral("m-new"), QStringLiteral("m-old")}));
  const DateTime stamp = TextToDateTime(DateTimeToText(kNow), 0);
  EXPECT_NE(stamp, kNow);  // the fixed clock has milliseconds the text form drops
  EXPECT_EQ(session_.FUpdateDate, stamp);
  EXPECT_EQ(session_.FUpdateLastNew, stamp);
  EXPECT_EQ(session_.FtotalNew, 2);
  EXPECT_EQ(session_.scanTag, 1);
  EXPECT_FALSE(session_.busy);

  const MemoryMessage newest = Mail(QStringLiteral("m-new"), QStringLiteral("dana@example.com"), 1);
  MessageRecord expected;
  expected.RecId = 1;
  expected.SourceName = QStringLiteral("Inbox");
  expected.InIndex = 1;
  expected.SentON = newest.sentOn;
  expected.ReceivedDate = newest.receivedTime;
  expected.Subject = newest.subject;
  expected.UpdateDate = stamp;
  expected.MsgContent = newest.htmlBody;
  expected.FromEmail = newest.senderEmailAddress;
  expected.EntryID = newest.entryId;
  const int at = session_.table.Records().indexOf(expected);
  EXPECT_GE(at, 0) << "the newest message is stored with the values read";
  for (const MessageRecord& r : session_.table.Records()) {
    if (r.EntryID == QLatin1String("m-old")) {
      EXPECT_EQ(r.InIndex, 2);
    }
  }

  const QString line1 =
      QStringLiteral("1: SentOn (%1)  ReceivedOn (%2) - %3")
          .arg(DateTimeToText(newest.sentOn), DateTimeToText(newest.receivedTime), newest.subject);
  const QStringList log = ScanLogLines();
  ASSERT_EQ(log.size(), 8) << log.join(u'\n').toStdString();
  EXPECT_EQ(log.first(), QStringLiteral("Start scanning [Inbox]"));
  EXPECT_EQ(log[1], line1);
  EXPECT_EQ(log[2], QStringLiteral("Rec: 2"));
  EXPECT_EQ(log[3], QStringLiteral("Rec: 3"));  // rejected: only its Rec line
  EXPECT_EQ(log[4], QStringLiteral("Rec: 4"));
  EXPECT_TRUE(log[5].startsWith(QStringLiteral("2: SentOn (")));
  EXPECT_EQ(log[6], QStringLiteral("Rec: 5"));
  EXPECT_EQ(log.last(), QStringLiteral("End scanning [Inbox]"));
  EXPECT_TRUE(host_.logLines().isEmpty()) << "the completed scan empties the activity log";

  // The ending steps in order: resume, focus, result, log emptied, page rows.
  const QString result = QStringLiteral("Last Scanned: %1   Total: 2   New: 2").arg(DateTimeToText(kNow));
  const QStringList ending = host_.events.mid(host_.events.indexOf(QStringLiteral("resume")));
  ASSERT_GE(ending.size(), 5);
  EXPECT_EQ(ending[1], QStringLiteral("focus"));
  EXPECT_EQ(ending[2], QStringLiteral("status:") + result);
  EXPECT_EQ(ending[3], QStringLiteral("clear"));
  EXPECT_EQ(ending[4], QStringLiteral("rows"));
  EXPECT_EQ(host_.suspendDepth, 0);
  EXPECT_EQ(store_.logonCount(), 1);
  EXPECT_EQ(store_.logoffCount(), 1);

  const IniFile settings(home_.home().GetSettingsFileName());
  EXPECT_EQ(settings.ReadDateTime(QStringLiteral("Default"), QStringLiteral("UpdateDate"), 0), stamp);
  EXPECT_EQ(settings.ReadDateTime(QStringLiteral("Default"), QStringLiteral("UpdateLastNew"), 0), stamp);

  MessageTable saved;
  saved.LoadFromFile(home_.home().GetDataFileName());
  EXPECT_EQ(ByRecId(saved.Records()), ByRecId(session_.table.Records()));

  const QString page = ReadTextFile(home_.home().PagePath());
  EXPECT_TRUE(page.contains(newest.subject));
  EXPECT_FALSE(page.contains(QStringLiteral("m-ruth")));
}

TEST_F(ScanTest, IncludeUnknownConsultsNoFile) {
  QDir(home_.Path(QStringLiteral("Data/contacts"))).removeRecursively();
  Marker(QStringLiteral("ruth@example.com.bmp"));
  inbox_.AddMessage(Mail(QStringLiteral("a"), QStringLiteral("ruth@example.com"), 1));
  inbox_.AddMessage(Mail(QStringLiteral("b"), QStringLiteral("stranger@example.com"), 2));
  inbox_.AddMessage(Mail(QStringLiteral("c"), QStringLiteral("a/b"), 3));
  session_.config.IncludeUnknown = true;
  Scan();
  EXPECT_EQ(EntryIds(), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
}

// Senders that no thumbnail admits: a missing Data/contacts folder, a dangerous address whose
// file exists one folder up or in a subfolder.
TEST_F(ScanTest, DangerousAddressesAreRejectedEvenWhenTheirFileExists) {
  home_.WriteFile(QStringLiteral("Data/x.bmp"), "BM");
  Thumbnail(QStringLiteral("sub/y.bmp"));
  Thumbnail(QStringLiteral("dana@example.com.bmp"));
  inbox_.AddMessage(Mail(QStringLiteral("up"), QStringLiteral("../x"), 1));
  inbox_.AddMessage(Mail(QStringLiteral("down"), QStringLiteral("sub/y"), 2));
  inbox_.AddMessage(Mail(QStringLiteral("back"), QStringLiteral("sub\\y"), 3));
  inbox_.AddMessage(Mail(QStringLiteral("ok"), QStringLiteral("dana@example.com"), 4));
  Scan();
  EXPECT_EQ(EntryIds(), QStringList{QStringLiteral("ok")});
}

TEST_F(ScanTest, KnownEntryIdInAnyCaseCountsAsAcceptedButIsNotStoredAgain) {
  session_.config.IncludeUnknown = true;
  MessageRecord old = test::MakeRecord(0, kNow - 10 * kHour);
  old.EntryID = QStringLiteral("MSG-ONE");
  old.Subject = QStringLiteral("as stored before");
  session_.table.Insert(old);
  const DateTime lastNew = EncodeDateTime(2026, 12, 1, 8, 0, 0);
  session_.FUpdateLastNew = lastNew;
  inbox_.AddMessage(Mail(QStringLiteral("msg-one"), QStringLiteral("dana@example.com"), 1));
  inbox_.AddMessage(Mail(QStringLiteral("msg-two"), QStringLiteral("dana@example.com"), 2));
  Scan();

  ASSERT_EQ(session_.table.RecordCount(), 2);
  ASSERT_NE(Find(QStringLiteral("MSG-ONE")), nullptr);
  EXPECT_EQ(*Find(QStringLiteral("MSG-ONE")), old);
  ASSERT_NE(Find(QStringLiteral("msg-two")), nullptr);
  EXPECT_EQ(Find(QStringLiteral("msg-two"))->InIndex, 2) << "the known message advanced the number";
  EXPECT_EQ(session_.FtotalNew, 1);
  EXPECT_TRUE(ScanLogLines().contains(
      QStringLiteral("1: SentOn (%1)  ReceivedOn (%2) - Subject of msg-one")
          .arg(DateTimeToText(kNow - kHour - kHour / 12), DateTimeToText(kNow - kHour))));

  // A second scan an hour later finds nothing new: both stamps are written, LastNew stays.
  const DateTime firstStamp = session_.FUpdateDate;
  const DateTime later = kNow + kHour;
  clock_.Set(later);
  host_.events.clear();
  Scan();
  EXPECT_EQ(session_.table.RecordCount(), 2);
  EXPECT_EQ(session_.FtotalNew, 0);
  EXPECT_EQ(session_.FUpdateLastNew, firstStamp);
  const QStringList status = host_.statusTexts();
  EXPECT_TRUE(
      status.contains(QStringLiteral("Last Scanned: %1   Total: 2   New: 0").arg(DateTimeToText(later))));
  const IniFile settings(home_.home().GetSettingsFileName());
  EXPECT_EQ(settings.ReadDateTime(QStringLiteral("Default"), QStringLiteral("UpdateDate"), 0),
            TextToDateTime(DateTimeToText(later), 0));
  EXPECT_EQ(settings.ReadDateTime(QStringLiteral("Default"), QStringLiteral("UpdateLastNew"), 0), firstStamp);
}

// The limit N gives at most N accepted messages in each folder; each subfolder has its own limit
// and numbering and gives its name as SourceName; a subfolder's subfolders are never read.
TEST_F(ScanTest, LimitCountsPerFolderWithSubfolders) {
  session_.config.IncludeUnknown = true;
  const QString inboxName = QStringLiteral("Inbox");
  MemoryFolder& work = inbox_.AddFolder(QStringLiteral("Work"));
  MemoryFolder& lists = inbox_.AddFolder(QStringLiteral("Lists"));
  MemoryFolder& deep = work.AddFolder(QStringLiteral("Deep"));
  for (int k = 0; k < 3; ++k) {
    inbox_.AddMessage(Mail(QStringLiteral("in-%1").arg(k), QStringLiteral("a@x"), k + 1));
    work.AddMessage(Mail(QStringLiteral("work-%1").arg(k), QStringLiteral("b@x"), k + 1));
    deep.AddMessage(Mail(QStringLiteral("deep-%1").arg(k), QStringLiteral("c@x"), k + 1));
  }
  lists.AddMessage(Mail(QStringLiteral("list-0"), QStringLiteral("d@x"), 1));

  const struct {
    int limit;
    bool subfolders;
    QStringList ids;
  } cases[] = {
      {2, true, Ids({"in-0", "in-1", "work-0", "work-1", "list-0"})},
      {3, false, Ids({"in-0", "in-1", "in-2"})},
      {1, true, Ids({"in-0", "work-0", "list-0"})},
      {0, true, {}},
      {-5, true, {}},
  };
  for (const auto& c : cases) {
    session_.table.Reset({});
    session_.config.MessageLimit = c.limit;
    session_.config.ScanSubFolders = c.subfolders;
    store_.ClearFailures();
    const qsizetype callsBefore = store_.calls().size();
    Scan();
    EXPECT_EQ(EntryIds(), c.ids) << "limit " << c.limit;
    QStringList calls = store_.calls().mid(callsBefore);
    if (c.ids.isEmpty()) {
      EXPECT_FALSE(calls.contains(QStringLiteral("ItemCollection.Item"))) << c.limit;
    }
    for (const MessageRecord& r : session_.table.Records()) {
      const QString prefix = r.EntryID.section(u'-', 0, 0);
      const QString folder = prefix == u"in"     ? inboxName
                             : prefix == u"work" ? QStringLiteral("Work")
                                                 : QStringLiteral("Lists");
      EXPECT_EQ(r.SourceName, folder);
      EXPECT_EQ(r.InIndex, r.EntryID.section(u'-', 1).toInt() + 1) << r.EntryID.toStdString();
    }
  }
}

TEST_F(ScanTest, LimitIsReadAtEveryTestOfTheLoop) {
  session_.config.IncludeUnknown = true;
  for (int k = 0; k < 5; ++k)
    inbox_.AddMessage(Mail(QStringLiteral("m%1").arg(k), QStringLiteral("a@x"), k + 1));
  // Lowered to 2 while the first message is handled: the loop stops after the second.
  host_.onProcessEvents = [this] { session_.config.MessageLimit = 2; };
  Scan();
  EXPECT_EQ(session_.table.RecordCount(), 2);
}

// The progress text counts accepted messages and positions: the third item of fifty, with two
// accepted before it, reads 3:3/50 - Total processed: 6%; a rejected item keeps the number.
TEST_F(ScanTest, ProgressTextShowsNumberPositionCountAndPercentage) {
  Thumbnail(QStringLiteral("dana@example.com.bmp"));
  for (int k = 0; k < 50; ++k) {
    const QString sender = k == 3 ? QStringLiteral("stranger@x") : QStringLiteral("dana@example.com");
    inbox_.AddMessage(Mail(QStringLiteral("m%1").arg(k), sender, k + 1));
  }
  Scan();
  const QStringList status = host_.statusTexts();
  EXPECT_EQ(status.first(), QStringLiteral("1:1/50 - Total processed: 2%"));
  EXPECT_TRUE(status.contains(QStringLiteral("3:3/50 - Total processed: 6%")));
  EXPECT_TRUE(status.contains(QStringLiteral("4:4/50 - Total processed: 8%")));
  EXPECT_TRUE(status.contains(QStringLiteral("4:5/50 - Total processed: 10%")));
  EXPECT_TRUE(status.contains(QStringLiteral("49:50/50 - Total processed: 100%")));
}

TEST_F(ScanTest, EmptyFolderLogsOnlyStartAndEnd) {
  Scan();
  EXPECT_EQ(ScanLogLines(),
            (QStringList{QStringLiteral("Start scanning [Inbox]"), QStringLiteral("End scanning [Inbox]")}));
  EXPECT_FALSE(host_.events.contains(QStringLiteral("focus")));
  EXPECT_EQ(session_.scanTag, 1);
  EXPECT_TRUE(QFileInfo::exists(home_.home().PagePath()));
}

// Items that cannot be read (not a mail message, a property the store cannot give) are logged and
// skipped; the rest of the folder is read.
TEST_F(ScanTest, UnreadableItemIsLoggedAndSkipped) {
  session_.config.IncludeUnknown = true;
  inbox_.AddMessage(Mail(QStringLiteral("m1"), QStringLiteral("a@x"), 1));
  inbox_.AddMessage(Mail(QStringLiteral("m2"), QStringLiteral("a@x"), 2));
  inbox_.AddOtherItem(kNow - 3 * kHour);
  inbox_.AddMessage(Mail(QStringLiteral("m4"), QStringLiteral("a@x"), 4));
  store_.FailOn(QStringLiteral("StoreItem.HTMLBody"), QStringLiteral("the body cannot be decoded"),
                QStringLiteral("m2"));
  Scan();
  EXPECT_EQ(EntryIds(), (QStringList{QStringLiteral("m1"), QStringLiteral("m4")}));
  ASSERT_NE(Find(QStringLiteral("m4")), nullptr);
  EXPECT_EQ(Find(QStringLiteral("m4"))->InIndex, 2);
  const QStringList log = ScanLogLines();
  EXPECT_TRUE(log.contains(QStringLiteral("Skipped item 2 of [Inbox]: the body cannot be decoded")));
  EXPECT_EQ(log.filter(QStringLiteral("Skipped item 3 of [Inbox]")).size(), 1);
  EXPECT_TRUE(log.contains(QStringLiteral("Rec: 5")));
  EXPECT_EQ(session_.scanTag, 1);
}

// A run that fails leaves the list resumed, the store logged off, the mark as it was, the busy
// mark off, and writes neither time stamps nor table nor page.
TEST_F(ScanTest, FailedRunRestoresTheWindowState) {
  session_.config.IncludeUnknown = true;
  inbox_.AddMessage(Mail(QStringLiteral("m1"), QStringLiteral("a@x"), 1));
  inbox_.AddFolder(QStringLiteral("Sub"));
  const struct {
    const char* what;
    QString entryId;
    QString failOn;
    bool suspended;
  } cases[] = {
      {"folder gone", QStringLiteral("Mail/Inbox/Gone"), QString(), false},
      {"empty id", QString(), QString(), false},
      {"subfolder fetch", inbox_.entryId(), QStringLiteral("FolderCollection.Item"), true},
      {"item count", inbox_.entryId(), QStringLiteral("ItemCollection.Count"), true},
  };
  for (const auto& c : cases) {
    store_.ClearFailures();
    if (!c.failOn.isEmpty()) store_.FailOn(c.failOn, QStringLiteral("the store broke"));
    session_.config.FolderToScanEntryID = c.entryId;
    session_.config.ScanSubFolders = true;
    session_.scanTag = 0;
    host_.events.clear();
    const int logoffs = store_.logoffCount();
    EXPECT_THROW(Scan(), Error) << c.what;
    EXPECT_EQ(session_.scanTag, 0) << c.what;
    EXPECT_FALSE(session_.busy) << c.what;
    EXPECT_EQ(store_.logoffCount(), logoffs + 1) << c.what;
    EXPECT_EQ(host_.suspendDepth, 0) << c.what;
    EXPECT_EQ(host_.events.contains(QStringLiteral("resume")), c.suspended) << c.what;
  }
  EXPECT_FALSE(QFileInfo::exists(home_.home().GetSettingsFileName()));
  EXPECT_FALSE(QFileInfo::exists(home_.home().GetDataFileName()));
  EXPECT_FALSE(QFileInfo::exists(home_.home().PagePath()));
}

TEST_F(ScanTest, NoFolderChosenOnlyShowsTheMessage) {
  session_.config.FolderToScanEntryID = QStringLiteral("0");
  session_.scanTag = 1;
  Scan();
  EXPECT_EQ(host_.events, QStringList{QStringLiteral("message:Select folder to scan!")});
  EXPECT_TRUE(store_.calls().isEmpty());
  EXPECT_EQ(session_.scanTag, 1);
}

TEST_F(ScanTest, MarksBusyAndRunningWhileItRuns) {
  session_.config.IncludeUnknown = true;
  inbox_.AddMessage(Mail(QStringLiteral("m1"), QStringLiteral("a@x"), 1));
  // Seen at the pump after the item (the page generation pumps later, once the scan has completed).
  QVector<std::pair<bool, int>> seen;
  host_.onProcessEvents = [&] { seen.append({session_.busy, session_.scanTag}); };
  Scan();
  ASSERT_FALSE(seen.isEmpty());
  EXPECT_EQ(seen.first(), std::make_pair(true, 99));
  for (const auto& [busy, tag] : seen) EXPECT_TRUE(busy);
  EXPECT_FALSE(session_.busy);
}

// The table file holds the table before trimming; the table then keeps the newest 100.
TEST_F(ScanTest, SavesBeforeTrimmingToTheNewestHundred) {
  session_.config.IncludeUnknown = true;
  QVector<MessageRecord> old;
  for (int k = 0; k < 120; ++k) old << test::MakeRecord(k, kNow - 30 - k * kHour);
  session_.table.Reset(old);
  for (int k = 0; k < 5; ++k)
    inbox_.AddMessage(Mail(QStringLiteral("new-%1").arg(k), QStringLiteral("a@x"), k + 1));
  Scan();

  MessageTable saved;
  saved.LoadFromFile(home_.home().GetDataFileName());
  EXPECT_EQ(saved.RecordCount(), 125);
  EXPECT_TRUE(host_.statusTexts().contains(
      QStringLiteral("Last Scanned: %1   Total: 125   New: 5").arg(DateTimeToText(kNow))));
  ASSERT_EQ(session_.table.RecordCount(), 100);
  // The newest 100 of the 125: the five new ones and the 95 newest old ones (k < 95).
  DateTime oldestKept = kNow;
  for (const MessageRecord& r : session_.table.Records()) oldestKept = std::min(oldestKept, r.ReceivedDate);
  EXPECT_EQ(oldestKept, kNow - 30 - 94 * kHour);
}

}  // namespace
}  // namespace feedwell
