#include "settings/IniFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include "common/Error.h"

namespace feedwell {
namespace {

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    previousLocale_ = QLocale();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  }
  void TearDown() override { QLocale::setDefault(previousLocale_); }

  QString Path(const QString& name = QStringLiteral("feedwell.ini")) const { return dir_.filePath(name); }

  void Write(const QByteArray& bytes, const QString& name = QStringLiteral("feedwell.ini")) const {
    QFile file(Path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
  }

  QByteArray Contents(const QString& name = QStringLiteral("feedwell.ini")) const {
    QFile file(Path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QTemporaryDir dir_;
  QLocale previousLocale_;
};

struct ReadCase {
  const char* what;
  QByteArray file;  // empty: no file at all
  const char* section;
  const char* key;
  QString expected;  // the value read with the fallback "<fallback>"
};

const QString kFallback = QStringLiteral("<fallback>");

TEST_F(IniFileTest, ReadsTextValues) {
  const QByteArray longLine = "Junk=" + QByteArray(200000, 'x') + '\n';
  const QByteArray garbage("\x00\xff\xfe\x01\x02[\x80\x81\n\x00=\x00\n", 13);
  const ReadCase cases[] = {
      {"missing file", {}, "DEFAULTS", "FOLDERNAME", kFallback},
      {"missing key", "[DEFAULTS]\nSTOREID=7\n", "DEFAULTS", "FOLDERNAME", kFallback},
      {"missing section", "[CONTACTS]\nFOLDERNAME=Inbox\n", "DEFAULTS", "FOLDERNAME", kFallback},
      {"plain", "[DEFAULTS]\nFOLDERNAME=Inbox\n", "DEFAULTS", "FOLDERNAME", QStringLiteral("Inbox")},
      {"names ignore letter case", "[defaults]\nfolderName=Inbox\n", "DEFAULTS", "FOLDERNAME",
       QStringLiteral("Inbox")},
      {"Default is not DEFAULTS", "[DEFAULTS]\nUpdateDate=x\n", "Default", "UpdateDate", kFallback},
      {"empty value is a value", "[DEFAULTS]\nFOLDERNAME=\n", "DEFAULTS", "FOLDERNAME", QString()},
      {"blanks around the value go", "[DEFAULTS]\nFOLDERNAME =  My Mail  \n", "DEFAULTS", "FOLDERNAME",
       QStringLiteral("My Mail")},
      {"UTF-8 mark", "\xEF\xBB\xBF[DEFAULTS]\nFOLDERNAME=\xD7\x93\xD7\x95\xD7\x90\xD7\xA8\n", "DEFAULTS",
       "FOLDERNAME", QString::fromUtf8("\xD7\x93\xD7\x95\xD7\x90\xD7\xA8")},
      {"UTF-8 without mark", "[DEFAULTS]\nFOLDERNAME=\xE6\x94\xB6\xE4\xBB\xB6\xE7\xAE\xB1\n", "DEFAULTS",
       "FOLDERNAME", QString::fromUtf8("\xE6\x94\xB6\xE4\xBB\xB6\xE7\xAE\xB1")},
      {"UTF-16 LE mark", QByteArray("\xFF\xFE[\0A\0]\0\r\0\n\0k\0=\0v\0\r\0\n\0", 22), "a", "K",
       QStringLiteral("v")},
      {"CR LF line ends", "[DEFAULTS]\r\nSTOREID=1\r\nFOLDERNAME=Inbox\r\n", "DEFAULTS", "FOLDERNAME",
       QStringLiteral("Inbox")},
      {"lone CR line ends", "[DEFAULTS]\rSTOREID=1\rFOLDERNAME=Inbox\r", "DEFAULTS", "FOLDERNAME",
       QStringLiteral("Inbox")},
      {"no line end at the end", "[DEFAULTS]\nFOLDERNAME=Inbox", "DEFAULTS", "FOLDERNAME",
       QStringLiteral("Inbox")},
      {"first of two keys wins", "[DEFAULTS]\nFOLDERNAME=first\nFOLDERNAME=second\n", "DEFAULTS",
       "FOLDERNAME", QStringLiteral("first")},
      {"first of two sections wins",
       "[DEFAULTS]\nFOLDERNAME=first\n[GRID]\nA=1\n[DEFAULTS]\nFOLDERNAME=second\n", "DEFAULTS", "FOLDERNAME",
       QStringLiteral("first")},
      {"binary garbage around", garbage + "[DEFAULTS]\nFOLDERNAME=Inbox\n" + garbage, "DEFAULTS",
       "FOLDERNAME", QStringLiteral("Inbox")},
      {"very long line before", "[DEFAULTS]\n" + longLine + "FOLDERNAME=Inbox\n", "DEFAULTS", "FOLDERNAME",
       QStringLiteral("Inbox")},
      {"value cut to 2047", "[DEFAULTS]\nFOLDERSCANID=" + QByteArray(3000, 'a') + "\n", "DEFAULTS",
       "FOLDERSCANID", QString(2047, u'a')},
      {"value of 2047 whole", "[DEFAULTS]\nFOLDERSCANID=" + QByteArray(2047, 'b') + "\n", "DEFAULTS",
       "FOLDERSCANID", QString(2047, u'b')},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.what);
    QFile::remove(Path());
    if (!c.file.isEmpty()) Write(c.file);
    const IniFile ini(Path());
    EXPECT_EQ(ini.ReadString(QLatin1String(c.section), QLatin1String(c.key), kFallback), c.expected);
  }
}

TEST_F(IniFileTest, ACutNeverSplitsACharacter) {
  // 2046 letters and then a character outside the basic plane (two UTF-16 units).
  Write("[D]\nK=" + QByteArray(2046, 'a') + "\xF0\x9F\x98\x80tail\n");
  const QString value = IniFile(Path()).ReadString(QStringLiteral("D"), QStringLiteral("K"), kFallback);
  EXPECT_EQ(value, QString(2046, u'a'));
}

struct NumberCase {
  const char* stored;  // nullptr: the key is absent
  qint64 asInteger;    // read with fallback -1
  int asFlag;          // read with fallback true (1) and false (0): 1, 0 or -1 for "the fallback"
};

TEST_F(IniFileTest, ReadsIntegersAndFlags) {
  const NumberCase cases[] = {
      {nullptr, -1, -1}, {"0", 0, 0},       {"1", 1, 1},      {"2", 2, 1},
      {"5000", 5000, 1}, {"-12", -12, 1},   {"0x1F", 31, 1},  {"0X1f", 31, 1},
      {"0x", -1, -1},    {"0x0", 0, 0},     {"0xZZ", -1, -1}, {"abc", -1, -1},
      {"yes", -1, -1},   {"12abc", -1, -1}, {"", -1, -1},     {"99999999999999999999", -1, -1},
  };
  for (const NumberCase& c : cases) {
    SCOPED_TRACE(c.stored ? c.stored : "(absent)");
    Write(c.stored ? QByteArray("[DEFAULTS]\nN=") + c.stored + '\n' : QByteArray("[DEFAULTS]\n"));
    const IniFile ini(Path());
    const QString s = QStringLiteral("DEFAULTS");
    const QString k = QStringLiteral("N");
    EXPECT_EQ(ini.ReadInteger(s, k, -1), c.asInteger);
    EXPECT_EQ(ini.ReadBool(s, k, true), c.asFlag == -1 ? true : c.asFlag == 1);
    EXPECT_EQ(ini.ReadBool(s, k, false), c.asFlag == -1 ? false : c.asFlag == 1);
  }
}

TEST_F(IniFileTest, DateTimesRoundTripAndMidnightIsTheDateAlone) {
  IniFile ini(Path());
  const QString s = QStringLiteral("Default");
  const DateTime afternoon = EncodeDateTime(2026, 12, 11, 15, 4, 5);
  const DateTime midnight = EncodeDateTime(2026, 1, 2);
  const DateTime fallback = EncodeDateTime(2000, 1, 1, 1, 1, 1);
  ini.WriteDateTime(s, QStringLiteral("UpdateDate"), afternoon);
  ini.WriteDateTime(s, QStringLiteral("UpdateLastNew"), midnight);
  EXPECT_EQ(ini.ReadDateTime(s, QStringLiteral("UpdateDate"), fallback), afternoon);
  EXPECT_EQ(ini.ReadDateTime(s, QStringLiteral("UpdateLastNew"), fallback), midnight);
  EXPECT_EQ(ini.ReadString(s, QStringLiteral("UpdateLastNew"), kFallback), DateTimeToText(midnight));
  EXPECT_FALSE(ini.ReadString(s, QStringLiteral("UpdateLastNew"), kFallback).contains(u':'));

  for (const char* bad : {"", "not a date", "31/31/2026 99:99:99"}) {
    SCOPED_TRACE(bad);
    ini.WriteString(s, QStringLiteral("UpdateDate"), QString::fromUtf8(bad));
    EXPECT_EQ(ini.ReadDateTime(s, QStringLiteral("UpdateDate"), fallback), fallback);
  }
  EXPECT_EQ(ini.ReadDateTime(s, QStringLiteral("Absent"), fallback), fallback);
}

TEST_F(IniFileTest, FirstWriteCreatesAUtf8FileWithItsMark) {
  IniFile ini(Path());
  const QString hebrew = QString::fromUtf8("\xD7\x93\xD7\x95\xD7\x90\xD7\xA8 \xF0\x9F\x93\xAC");
  ini.WriteString(QStringLiteral("DEFAULTS"), QStringLiteral("FOLDERNAME"), hebrew);
  const QByteArray bytes = Contents();
  EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
  EXPECT_TRUE(bytes.contains(hebrew.toUtf8()));
  EXPECT_EQ(ini.ReadString(QStringLiteral("defaults"), QStringLiteral("foldername"), kFallback), hebrew);
}

struct WriteCase {
  const char* what;
  QByteArray before;
  const char* section;
  const char* key;
  const char* sectionsInOrder;  // comma-separated, as they stand in the file afterwards
  const char* keysOfSection;    // the written section's keys afterwards, in file order
};

TEST_F(IniFileTest, WritesReplaceInPlaceOrAppend) {
  const QByteArray base = "[DEFAULTS]\nFOLDERSCANID=a\nSTOREID=b\n[GRID]\nWIDTHCOLUMNRecId=10\n";
  const WriteCase cases[] = {
      {"replace keeps the place", base, "defaults", "foldersCanid", "DEFAULTS,GRID", "FOLDERSCANID,STOREID"},
      {"new key at the end of its section", base, "DEFAULTS", "FOLDERNAME", "DEFAULTS,GRID",
       "FOLDERSCANID,STOREID,FOLDERNAME"},
      {"new section at the end", base, "CONTACTS", "STOREID", "DEFAULTS,GRID,CONTACTS", "STOREID"},
      {"lone CR file", "[DEFAULTS]\rFOLDERSCANID=a\rSTOREID=b\r[GRID]\rWIDTHCOLUMNRecId=10", "DEFAULTS",
       "STOREID", "DEFAULTS,GRID", "FOLDERSCANID,STOREID"},
      {"key given twice becomes one", "[DEFAULTS]\nSTOREID=old1\nFOLDERSCANID=a\nSTOREID=old2\n[GRID]\n",
       "DEFAULTS", "STOREID", "DEFAULTS,GRID", "STOREID,FOLDERSCANID"},
  };
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.what);
    Write(c.before);
    IniFile ini(Path());
    const QString section = QLatin1String(c.section);
    const QString key = QLatin1String(c.key);
    ini.WriteString(section, key, QStringLiteral("new"));
    EXPECT_EQ(ini.ReadString(section, key, kFallback), QStringLiteral("new"));
    EXPECT_EQ(ini.ReadSectionKeys(section), QString::fromLatin1(c.keysOfSection).split(u','));
    // Sections stand in the expected order in the file text.
    const QString text = QString::fromUtf8(Contents());
    qsizetype previous = -1;
    for (const QString& name : QString::fromLatin1(c.sectionsInOrder).split(u',')) {
      const qsizetype at = text.indexOf(u'[' + name + u']');
      EXPECT_GT(at, previous) << name.toStdString();
      previous = at;
    }
    // What was not written stays as it was.
    if (section.compare(QStringLiteral("GRID"), Qt::CaseInsensitive) != 0 && c.before.contains("RecId=10")) {
      EXPECT_EQ(ini.ReadInteger(QStringLiteral("GRID"), QStringLiteral("WIDTHCOLUMNRecId"), -1), 10);
    }
    if (key.compare(QStringLiteral("FOLDERSCANID"), Qt::CaseInsensitive) != 0 &&
        c.before.contains("FOLDERSCANID=a")) {
      EXPECT_EQ(ini.ReadString(QStringLiteral("DEFAULTS"), QStringLiteral("FOLDERSCANID"), kFallback),
                QStringLiteral("a"));
    }
  }
}

TEST_F(IniFileTest, WriteKeepsKeysAfterGarbageAndLongLines) {
  const QByteArray longValue(100000, 'z');
  Write(QByteArray("\x01\x00\xff garbage\n", 12) + "[DEFAULTS]\nLONG=" + longValue + "\nSTOREID=b\n" +
        QByteArray("\x00\x00", 2) + "[GRID]\nW=5");
  IniFile ini(Path());
  ini.WriteInteger(QStringLiteral("DEFAULTS"), QStringLiteral("TOTALMESSAGES"), 5000);
  EXPECT_EQ(ini.ReadInteger(QStringLiteral("DEFAULTS"), QStringLiteral("TOTALMESSAGES"), -1), 5000);
  EXPECT_EQ(ini.ReadString(QStringLiteral("DEFAULTS"), QStringLiteral("STOREID"), kFallback),
            QStringLiteral("b"));
  EXPECT_EQ(ini.ReadInteger(QStringLiteral("GRID"), QStringLiteral("W"), -1), 5);
  EXPECT_TRUE(Contents().contains(longValue));  // stored whole, only the reading is cut
}

TEST_F(IniFileTest, NothingIsCachedBetweenCalls) {
  const IniFile reader(Path());
  IniFile writer(Path());
  const QString s = QStringLiteral("DEFAULTS");
  const QString k = QStringLiteral("FOLDERNAME");
  EXPECT_EQ(reader.ReadString(s, k, kFallback), kFallback);
  writer.WriteString(s, k, QStringLiteral("one"));
  EXPECT_EQ(reader.ReadString(s, k, kFallback), QStringLiteral("one"));
  Write("[DEFAULTS]\nFOLDERNAME=edited by hand\n");
  EXPECT_EQ(reader.ReadString(s, k, kFallback), QStringLiteral("edited by hand"));
  writer.WriteBool(s, QStringLiteral("SCANSUBFOLDERS"), false);
  EXPECT_EQ(reader.ReadString(s, k, kFallback), QStringLiteral("edited by hand"));
  EXPECT_EQ(reader.ReadString(s, QStringLiteral("SCANSUBFOLDERS"), kFallback), QStringLiteral("0"));
}

TEST_F(IniFileTest, ALineBreakInAValueCannotAddAKey) {
  IniFile ini(Path());
  ini.WriteString(QStringLiteral("DEFAULTS"), QStringLiteral("FOLDERNAME"),
                  QStringLiteral("a\r\nSTOREID=evil\nb"));
  EXPECT_EQ(ini.ReadString(QStringLiteral("DEFAULTS"), QStringLiteral("STOREID"), kFallback), kFallback);
  EXPECT_TRUE(
      ini.ReadString(QStringLiteral("DEFAULTS"), QStringLiteral("FOLDERNAME"), kFallback).startsWith(u'a'));
}

// Every refused write raises "Unable to write to <full path>" and leaves the file as it was.
TEST_F(IniFileTest, RefusedWritesRaiseAndChangeNothing) {
  struct Refusal {
    const char* what;
    QString path;
    std::function<void()> prepare;
    bool needsNonRoot;
  };
  const QString readOnlyFile = Path(QStringLiteral("readonly.ini"));
  const QString unreadableFile = Path(QStringLiteral("unreadable.ini"));
  const QString lockedDir = Path(QStringLiteral("locked"));
  const QString inLockedDir = lockedDir + QStringLiteral("/feedwell.ini");
  const Refusal cases[] = {
      {"folder missing", Path(QStringLiteral("no/such/folder/feedwell.ini")), [] {}, false},
      {"path is a folder", Path(QStringLiteral("adir")), [&] { QDir().mkpath(Path(QStringLiteral("adir"))); },
       false},
      // A file in a folder that even root cannot write to.
      {"file of a read-only system folder", QStringLiteral("/proc/version"), [] {}, false},
      {"read-only file", readOnlyFile,
       [&] {
         Write("[DEFAULTS]\nSTOREID=keep\n", QStringLiteral("readonly.ini"));
         QFile::setPermissions(readOnlyFile, QFile::ReadOwner);
       },
       true},
      // Rewriting a file that cannot be read would lose what it holds.
      {"unreadable file", unreadableFile,
       [&] {
         Write("[DEFAULTS]\nSTOREID=keep\n", QStringLiteral("unreadable.ini"));
         QFile::setPermissions(unreadableFile, QFile::WriteOwner);
       },
       true},
      {"read-only folder", inLockedDir,
       [&] {
         QDir().mkpath(lockedDir);
         QFile::setPermissions(lockedDir, QFile::ReadOwner | QFile::ExeOwner);
       },
       true},
  };
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.needsNonRoot && ::geteuid() == 0) continue;  // root writes through permissions
    c.prepare();
    QFile before(c.path);
    const QByteArray old = before.open(QIODevice::ReadOnly) ? before.readAll() : QByteArray();
    before.close();
    IniFile ini(c.path);
    try {
      ini.WriteString(QStringLiteral("DEFAULTS"), QStringLiteral("STOREID"), QStringLiteral("new"));
      ADD_FAILURE() << "the write was not refused";
    } catch (const Error& e) {
      EXPECT_EQ(e.message(), QStringLiteral("Unable to write to ") + QFileInfo(c.path).absoluteFilePath());
    }
    QFile after(c.path);
    EXPECT_EQ(after.open(QIODevice::ReadOnly) ? after.readAll() : QByteArray(), old);
  }
  QFile::setPermissions(lockedDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(IniFileTest, ReadOnlyFileIsStillRead) {
  Write("[DEFAULTS]\nSTOREID=kept\n");
  QFile::setPermissions(Path(), QFile::ReadOwner);
  EXPECT_EQ(IniFile(Path()).ReadString(QStringLiteral("DEFAULTS"), QStringLiteral("STOREID"), kFallback),
            QStringLiteral("kept"));
}

}  // namespace
}  // namespace feedwell
