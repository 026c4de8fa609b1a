#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <functional>
#include <limits>
#include <random>

#include "collection/MessageTable.h"
#include "collection/MessageTableFile.h"
#include "common/Error.h"
#include "support/TableFixtures.h"

namespace feedwell {
namespace {

using test::MakeRecord;

const DateTime kJune = EncodeDateTime(2024, 6, 1, 8, 0, 0);

QVector<MessageRecord> MakeRecords(int count, int salt = 0) {
  QVector<MessageRecord> records;
  for (int i = 0; i < count; ++i) records.append(MakeRecord(i + salt, kJune + (i + salt) / 1440.0));
  return records;
}

// Runs SQL on a database file directly, to make files this program would not write.
void RunSql(const QString& path, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
  char* message = nullptr;
  const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
  EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "");
  sqlite3_free(message);
  sqlite3_close(db);
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

// ---- The in-memory table ----

TEST(MessageTable, StartsClosedAndOpensEmpty) {
  MessageTable table;
  EXPECT_FALSE(table.IsOpen());
  EXPECT_EQ(table.CurrentIndex(), -1);
  table.OpenIfClosed();
  EXPECT_TRUE(table.IsOpen());
  EXPECT_EQ(table.RecordCount(), 0);
}

TEST(MessageTable, InsertAppendsAndMakesTheRecordCurrent) {
  MessageTable table;
  for (int i = 0; i < 3; ++i) {
    table.Insert(MakeRecord(i, kJune + i));
    EXPECT_EQ(table.RecordCount(), i + 1);
    EXPECT_EQ(table.CurrentIndex(), i);
    EXPECT_EQ(table.Record(i), MakeRecord(i, kJune + i));
  }
  EXPECT_TRUE(table.IsOpen());
}

TEST(MessageTable, FindsByEntryIdIgnoringLetterCase) {
  MessageTable table;
  const char* ids[] = {"AbC-001", "x\xC3\x9F-2", "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D", "dup", "DUP"};
  for (int i = 0; i < 5; ++i) {
    MessageRecord r = MakeRecord(i, kJune + i);
    r.EntryID = QString::fromUtf8(ids[i]);
    table.Insert(r);
  }
  struct Lookup {
    const char* id;
    int expectedIndex;  // -1: not found, and the current record stays
  } lookups[] = {
      {"AbC-001", 0},
      {"abc-001", 0},
      {"ABC-001", 0},
      {"X\xC3\x9F-2", 1},
      {"\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D", 2},
      {"Dup", 3},  // two identifiers that differ in case name the first record
      {"AbC-00", -1},
      {"", -1},
      {"abc-0011", -1},
  };
  for (const Lookup& l : lookups) {
    SCOPED_TRACE(l.id);
    table.SetCurrentIndex(4);
    EXPECT_EQ(table.FindByEntryId(QString::fromUtf8(l.id)), l.expectedIndex >= 0);
    EXPECT_EQ(table.CurrentIndex(), l.expectedIndex >= 0 ? l.expectedIndex : 4);
  }
}

// Trim keeps the newest 100 by ReceivedDate, oldest first, whatever the insertion order.
TEST(MessageTable, TrimKeepsTheNewestHundred) {
  for (const int count : {0, 1, 99, 100, 101, 130, 250}) {
    SCOPED_TRACE(count);
    std::vector<int> order(count);
    for (int i = 0; i < count; ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(count));
    MessageTable table;
    table.OpenIfClosed();
    for (const int i : order) table.Insert(MakeRecord(i, kJune + i * 0.01));
    table.Trim();

    const int kept = std::min(count, 100);
    ASSERT_EQ(table.RecordCount(), kept);
    for (int row = 0; row < kept; ++row) {
      // The survivors are records count - kept … count - 1, oldest first.
      EXPECT_EQ(table.Record(row), MakeRecord(count - kept + row, kJune + (count - kept + row) * 0.01));
    }
    // The index follows: removed records are gone, kept ones are found at their new place.
    if (count > kept) {
      EXPECT_FALSE(table.FindByEntryId(MakeRecord(0, kJune).EntryID));
    }
    if (kept > 0) {
      EXPECT_TRUE(table.FindByEntryId(MakeRecord(count - 1, kJune).EntryID));
      EXPECT_EQ(table.CurrentIndex(), kept - 1);
    }
  }
}

TEST(MessageTable, FailedLoadLeavesTheTableAsItWas) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("feedwell.data"));
  WriteAll(path, "not a table");
  MessageTable table;
  table.Insert(MakeRecord(7, kJune));
  EXPECT_THROW(table.LoadFromFile(path), Error);
  ASSERT_EQ(table.RecordCount(), 1);
  EXPECT_EQ(table.Record(0), MakeRecord(7, kJune));
}

TEST(MessageTable, ClosedTableSavesNothing) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("feedwell.data"));
  test::WriteTableFile(path, 3);
  const QByteArray before = ReadAll(path);
  MessageTable().SaveToFile(path);
  EXPECT_EQ(ReadAll(path), before);
  MessageTable().SaveToFile(dir.filePath(QStringLiteral("other.data")));
  EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("other.data"))));
}

// ---- The table file ----

class TableFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  QString Path(const QString& name = QStringLiteral("feedwell.data")) const { return dir_.filePath(name); }
  QTemporaryDir dir_;
};

// Texts in several scripts, control characters, line breaks and lengths far beyond any column width.
QVector<MessageRecord> RecordsInManyScripts(int count) {
  const QString samples[] = {
      QString::fromUtf8("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD7\xA2\xD7\x95\xD7\x9C\xD7\x9D"),  // Hebrew
      QString::fromUtf8("\xE4\xBD\xA0\xE5\xA5\xBD\xEF\xBC\x8C\xE4\xB8\x96\xE7\x95\x8C"),       // Chinese
      QString::fromUtf8("\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1\xE3\x81\xAF"),       // Japanese
      QString::fromUtf8(
          "\xF0\x9F\x93\xAC\xF0\x9F\x8E\x89\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB"),  // emoji
      QString::fromUtf8("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xD8\xB3\xD9\x84\xD8\xA7\xD9\x85"),
      QString::fromUtf8("ctl\x01\x02\x07\x08\t\x0b\x0c\x1b\x1f\x7f end"),
      QStringLiteral("line\r\nbreaks\rand\nmore\r\n"),
      QString(),
  };
  const int kinds = int(std::size(samples));
  QVector<MessageRecord> records;
  records.reserve(count);
  for (int i = 0; i < count; ++i) {
    MessageRecord r = MakeRecord(i, kJune + i * 0.0001234567);
    const QString& s = samples[i % kinds];
    r.SourceName = s + QStringLiteral(" folder");
    r.Subject = s + QString(i % 97 == 0 ? 700 : 3, u'S');  // beyond the old 500-byte width now and then
    r.FromEmail = s + QStringLiteral("@example.org");
    r.EntryID =
        s + QStringLiteral("-") + QString::number(i) + (i % 101 == 0 ? QString(400, u'E') : QString());
    r.MsgContent = QStringLiteral("<p>") + s + QStringLiteral("</p>") + r.MsgContent;
    if (i % 500 == 0) r.MsgContent += QString(60000, u'B');  // far beyond 5000 bytes
    r.RecId = (i % 1000 == 1) ? std::numeric_limits<qint32>::max() : i + 1;
    r.InIndex = (i % 1000 == 2) ? std::numeric_limits<qint32>::min() : i % 100;
    r.SentON = (i % 1000 == 3) ? -693593.75 : r.SentON;  // year 1 and before the epoch
    r.UpdateDate = kJune + 1.0 / 3.0 + i;                // a fraction with no short binary form
    records.append(r);
  }
  return records;
}

TEST_F(TableFileTest, TenThousandRecordsRoundTripExactly) {
  const QVector<MessageRecord> records = RecordsInManyScripts(10000);
  SaveMessageTableFile(Path(), records);
  const QVector<MessageRecord> loaded = LoadMessageTableFile(Path());
  ASSERT_EQ(loaded.size(), records.size());
  for (qsizetype i = 0; i < records.size(); ++i) {
    ASSERT_EQ(loaded[i], records[i]) << "record " << i << ": " << records[i].Subject.toStdString();
  }
}

TEST_F(TableFileTest, SaveReplacesTheWholeTable) {
  SaveMessageTableFile(Path(), MakeRecords(300));
  SaveMessageTableFile(Path(), MakeRecords(5, 1000));
  EXPECT_EQ(LoadMessageTableFile(Path()), MakeRecords(5, 1000));
  SaveMessageTableFile(Path(), {});
  EXPECT_TRUE(LoadMessageTableFile(Path()).isEmpty());
  EXPECT_FALSE(QFileInfo::exists(Path() + QStringLiteral(".saving")));
}

TEST_F(TableFileTest, LoadsAFileOfTheFixtureHelper) {
  test::WriteTableFile(Path(), 130);
  MessageTable table;
  table.LoadFromFile(Path());
  EXPECT_EQ(table.RecordCount(), 130);
  EXPECT_EQ(table.CurrentIndex(), 0);
  EXPECT_TRUE(table.FindByEntryId(table.Record(129).EntryID.toLower()));
}

struct BadFile {
  const char* what;
  std::function<void(const QString& path)> make;
  const char* loadMessage;  // part of the error message that a load raises
  bool saveRefused;         // a save must not overwrite it (a damaged table of ours is replaced)
};

TEST_F(TableFileTest, BadFilesGiveClearErrorsAndAreNotOverwritten) {
  const auto truncatedTo = [](qint64 size) {
    return [size](const QString& path) {
      test::WriteTableFile(path, 500);
      ASSERT_GT(QFileInfo(path).size(), size);
      ASSERT_TRUE(QFile::resize(path, size));
    };
  };
  const BadFile cases[] = {
      {"empty file", [](const QString& path) { WriteAll(path, {}); }, "is empty", false},
      {"truncated in the middle", truncatedTo(100000), "cut short", false},
      {"truncated within the header", truncatedTo(60), "cut short", false},
      {"truncated within the magic", truncatedTo(9), "cut short", false},
      {"plain text", [](const QString& path) { WriteAll(path, "[DEFAULTS]\nFOLDERSCANID=0\n"); },
       "not an SQLite database", true},
      {"binary garbage", [](const QString& path) { WriteAll(path, QByteArray(8192, '\xA5')); },
       "not an SQLite database", true},
      {"another program's database",
       [](const QString& path) {
         RunSql(path, "CREATE TABLE messages (x); INSERT INTO messages VALUES (1);");
       },
       "not a Feedwell table", true},
      {"written by a newer Feedwell",
       [](const QString& path) {
         test::WriteTableFile(path, 3);
         RunSql(path, "PRAGMA user_version=2;");
       },
       "was written by a newer Feedwell", true},
      {"damaged pages",
       [](const QString& path) {
         test::WriteTableFile(path, 500);
         QFile file(path);
         ASSERT_TRUE(file.open(QIODevice::ReadWrite));
         file.seek(8192);
         file.write(QByteArray(20000, '\xFF'));
       },
       "damaged", false},
  };
  for (const BadFile& c : cases) {
    SCOPED_TRACE(c.what);
    QFile::remove(Path());
    c.make(Path());
    const QByteArray before = ReadAll(Path());
    try {
      LoadMessageTableFile(Path());
      ADD_FAILURE() << "loaded";
    } catch (const Error& e) {
      EXPECT_TRUE(e.message().contains(QFileInfo(Path()).absoluteFilePath())) << e.what();
      EXPECT_TRUE(e.message().contains(QLatin1String(c.loadMessage))) << e.what();
    }
    if (c.saveRefused) {
      try {
        SaveMessageTableFile(Path(), MakeRecords(2));
        ADD_FAILURE() << "saved over it";
      } catch (const Error& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("unchanged"))) << e.what();
      }
      EXPECT_EQ(ReadAll(Path()), before);
    } else {
      SaveMessageTableFile(Path(), MakeRecords(2));
      EXPECT_EQ(LoadMessageTableFile(Path()), MakeRecords(2));
    }
  }
}

TEST_F(TableFileTest, SaveIntoAMissingFolderRaisesNamingTheFile) {
  const QString path = Path(QStringLiteral("no/such/folder/feedwell.data"));
  try {
    SaveMessageTableFile(path, MakeRecords(2));
    ADD_FAILURE() << "saved";
  } catch (const Error& e) {
    EXPECT_TRUE(e.message().contains(path)) << e.what();
    EXPECT_TRUE(e.message().contains(QStringLiteral("folder does not exist"))) << e.what();
  }
  EXPECT_THROW(LoadMessageTableFile(path), Error);
}

TEST_F(TableFileTest, SaveKeepsTheAccessRightsOfTheOldFile) {
  SaveMessageTableFile(Path(), MakeRecords(2));
  const QFile::Permissions privateRights = QFile::ReadOwner | QFile::WriteOwner;
  ASSERT_TRUE(QFile::setPermissions(Path(), privateRights));
  SaveMessageTableFile(Path(), MakeRecords(3));
  // Owner, group and others (the "user" bits only repeat one of them).
  EXPECT_EQ(QFile::permissions(Path()) & 0x7077, privateRights & 0x7077);
  EXPECT_EQ(LoadMessageTableFile(Path()).size(), 3);
}

// A process killed while it saves leaves a table that loads whole: the one before or the one after.
TEST_F(TableFileTest, KillDuringSaveLeavesAWholeTable) {
  QVector<MessageRecord> first = MakeRecords(1500);
  QVector<MessageRecord> second = MakeRecords(1200, 5000);
  for (MessageRecord& r : first) r.MsgContent += QString(5000, u'a');
  for (MessageRecord& r : second) r.MsgContent += QString(5000, u'b');
  SaveMessageTableFile(Path(), first);
  const QString saving = Path() + QStringLiteral(".saving");

  std::mt19937 random(42);
  int killsDuringSave = 0;
  for (int attempt = 0; attempt < 40 && killsDuringSave < 3; ++attempt) {
    QFile::remove(saving);  // left by the previous kill
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      try {
        for (;;) {
          SaveMessageTableFile(Path(), second);
          SaveMessageTableFile(Path(), first);
        }
      } catch (...) {
      }
      _exit(1);
    }
    // Wait until a save is under way (bounded), then let it run a little before the kill.
    for (int i = 0; i < 20000 && !QFileInfo::exists(saving); ++i) QThread::usleep(100);
    QThread::usleep(std::uniform_int_distribution<int>(0, 30000)(random));
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process ended by itself";
    if (QFileInfo::exists(saving)) ++killsDuringSave;

    const QVector<MessageRecord> loaded = LoadMessageTableFile(Path());
    EXPECT_TRUE(loaded == first || loaded == second)
        << "attempt " << attempt << ": " << loaded.size() << " records";
  }
  EXPECT_GE(killsDuringSave, 1) << "no kill landed during a save";
  // The next save clears what the killed one left behind.
  SaveMessageTableFile(Path(), first);
  EXPECT_FALSE(QFileInfo::exists(saving));
  EXPECT_EQ(LoadMessageTableFile(Path()), first);
}

}  // namespace
}  // namespace feedwell
