#include <gtest/gtest.h>

#include <ostream>

#include <QFile>
#include <QMap>

#include "common/Error.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "support/TempHome.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace feedwell {
namespace {

const QStringList kCaptions = {QStringLiteral("RecId"),      QStringLiteral("ReceivedDate"),
                               QStringLiteral("SourceName"), QStringLiteral("InIndex"),
                               QStringLiteral("SentON"),     QStringLiteral("Subject"),
                               QStringLiteral("UpdateDate"), QStringLiteral("MsgContent"),
                               QStringLiteral("FromEmail"),  QStringLiteral("EntryID")};

// The grid's columns as the settings see them: ten captions, each with a width.
class FakeColumns : public ColumnWidths {
 public:
  explicit FakeColumns(int width = 64) {
    for (const QString& caption : kCaptions) widths[caption] = width;
  }
  QStringList Captions() const override { return kCaptions; }
  int Width(const QString& caption) const override { return widths.value(caption); }
  void SetWidth(const QString& caption, int width) override { widths[caption] = width; }
  QMap<QString, int> widths;
};

class SettingsFile : public ::testing::Test {
 protected:
  QString path() const { return home_.home().GetSettingsFileName(); }
  void Write(const QByteArray& text) const { home_.WriteFile(QStringLiteral("feedwell.ini"), text); }

  test::TempHome home_{false};
};

TEST_F(SettingsFile, FirstStartWithoutAFileGivesTheDefaultsAndAsksTheQuestion) {
  Configuration config;
  config.ScanSubFolders = false;  // options keep whatever state they have
  config.IncludeUnknown = true;
  config.MessageLimit = 42;
  config.FolderToScanStoreID = QStringLiteral("left over");
  FakeColumns columns(77);

  EXPECT_TRUE(LoadSettings(path(), config, &columns));
  EXPECT_EQ(config.FolderToScanEntryID, QStringLiteral("0"));
  EXPECT_EQ(config.FolderToScanStoreID, QStringLiteral("0"));
  EXPECT_EQ(config.FolderName, QStringLiteral("---"));
  EXPECT_FALSE(config.ScanSubFolders);
  EXPECT_TRUE(config.IncludeUnknown);
  EXPECT_EQ(config.MessageLimit, 42);
  EXPECT_TRUE(config.ContactsFolderToScanEntryID.isEmpty());
  EXPECT_EQ(columns.widths, FakeColumns(77).widths);
  EXPECT_FALSE(QFile::exists(path())) << "reading must not create the file";
}

TEST_F(SettingsFile, SavedSettingsAndColumnWidthsSurviveARestart) {
  Configuration saved;
  saved.FolderToScanEntryID = QStringLiteral("Mail/דואר נכנס/a.b c");
  saved.FolderToScanStoreID = QStringLiteral("Mail");
  saved.FolderName = QStringLiteral("דואר נכנס");
  saved.ScanSubFolders = false;
  saved.IncludeUnknown = true;
  saved.MessageLimit = 5000;
  saved.ContactsFolderToScanEntryID = QStringLiteral("Contacts/Работа");
  saved.ContactsFolderToScanStoreID = QStringLiteral("Contacts");
  saved.ContactsFolderName = QStringLiteral("Работа");
  FakeColumns columns;
  for (int i = 0; i < kCaptions.size(); ++i) columns.SetWidth(kCaptions[i], 10 * i + 5);
  SaveSettings(path(), saved, &columns);

  Configuration restarted;  // a fresh start: the starting state of the dialog and the fields
  FakeColumns fresh;
  EXPECT_FALSE(LoadSettings(path(), restarted, &fresh));
  EXPECT_EQ(restarted.FolderToScanEntryID, saved.FolderToScanEntryID);
  EXPECT_EQ(restarted.FolderToScanStoreID, saved.FolderToScanStoreID);
  EXPECT_EQ(restarted.FolderName, saved.FolderName);
  EXPECT_EQ(restarted.ScanSubFolders, saved.ScanSubFolders);
  EXPECT_EQ(restarted.IncludeUnknown, saved.IncludeUnknown);
  EXPECT_EQ(restarted.MessageLimit, 5000);
  EXPECT_EQ(restarted.ContactsFolderToScanEntryID, saved.ContactsFolderToScanEntryID);
  EXPECT_EQ(restarted.ContactsFolderToScanStoreID, saved.ContactsFolderToScanStoreID);
  EXPECT_EQ(restarted.ContactsFolderName, saved.ContactsFolderName);
  EXPECT_EQ(fresh.widths, columns.widths);

  // The keys stand in the order they are written, one "GRID" key per column.
  const IniFile ini(path());
  EXPECT_EQ(ini.ReadSectionKeys(QStringLiteral("DEFAULTS")),
            (QStringList{QStringLiteral("FOLDERSCANID"), QStringLiteral("STOREID"),
                         QStringLiteral("FOLDERNAME"), QStringLiteral("SCANSUBFOLDERS"),
                         QStringLiteral("INCLUDEUNKNOWN"), QStringLiteral("TOTALMESSAGES")}));
  EXPECT_EQ(
      ini.ReadSectionKeys(QStringLiteral("CONTACTS")),
      (QStringList{QStringLiteral("FOLDERSCANID"), QStringLiteral("STOREID"), QStringLiteral("FOLDERNAME")}));
  QStringList gridKeys;
  for (const QString& caption : kCaptions) gridKeys.append(QStringLiteral("WIDTHCOLUMN") + caption);
  EXPECT_EQ(ini.ReadSectionKeys(QStringLiteral("GRID")), gridKeys);
  EXPECT_EQ(ini.ReadString(QStringLiteral("DEFAULTS"), QStringLiteral("SCANSUBFOLDERS"), {}),
            QStringLiteral("0"));
  EXPECT_EQ(ini.ReadString(QStringLiteral("DEFAULTS"), QStringLiteral("INCLUDEUNKNOWN"), {}),
            QStringLiteral("1"));
  EXPECT_EQ(ini.ReadString(QStringLiteral("DEFAULTS"), QStringLiteral("TOTALMESSAGES"), {}),
            QStringLiteral("5000"));
}

TEST_F(SettingsFile, OkWithoutAContactsFolderAsksAgainAtEveryReading) {
  Configuration config;
  config.FolderToScanEntryID = QStringLiteral("Mail/Inbox");
  SaveSettings(path(), config, nullptr);
  EXPECT_EQ(IniFile(path()).ReadString(QStringLiteral("CONTACTS"), QStringLiteral("FOLDERSCANID"),
                                       QStringLiteral("absent")),
            QString());

  // Even a contacts folder chosen in memory meanwhile gives way to the stored empty one.
  Configuration later;
  later.ContactsFolderToScanEntryID = QStringLiteral("Contacts");
  EXPECT_TRUE(LoadSettings(path(), later, nullptr));
  EXPECT_TRUE(later.ContactsFolderToScanEntryID.isEmpty());
  EXPECT_TRUE(LoadSettings(path(), later, nullptr));
}

// Keys the file lacks leave their holders as they are: after a first cancelled dialog a contacts
// folder chosen in it stays, while the mail folder falls back to "0", "0", "---".
TEST_F(SettingsFile, AbsentKeysKeepTheCurrentValues) {
  Write("[DEFAULTS]\nSTOREID=S\n[GRID]\nWIDTHCOLUMNSubject=300\n");
  Configuration config;
  config.FolderToScanEntryID = QStringLiteral("chosen");
  config.FolderName = QStringLiteral("Chosen");
  config.ContactsFolderToScanEntryID = QStringLiteral("Contacts");
  config.ContactsFolderToScanStoreID = QStringLiteral("CS");
  config.ContactsFolderName = QStringLiteral("My contacts");
  FakeColumns columns(50);

  EXPECT_FALSE(LoadSettings(path(), config, &columns));
  EXPECT_EQ(config.FolderToScanEntryID, QStringLiteral("0"));
  EXPECT_EQ(config.FolderToScanStoreID, QStringLiteral("S"));
  EXPECT_EQ(config.FolderName, QStringLiteral("---"));
  EXPECT_EQ(config.ContactsFolderToScanEntryID, QStringLiteral("Contacts"));
  EXPECT_EQ(config.ContactsFolderToScanStoreID, QStringLiteral("CS"));
  EXPECT_EQ(config.ContactsFolderName, QStringLiteral("My contacts"));
  for (const QString& caption : kCaptions)
    EXPECT_EQ(columns.Width(caption), caption == QLatin1String("Subject") ? 300 : 50)
        << caption.toStdString();
}

TEST_F(SettingsFile, ReadsFlagsAndNumbersOrKeepsTheCurrentValue) {
  struct Case {
    const char* stored;
    bool flagFromCleared;  // the box's state after reading, when it was cleared before
    bool flagFromTicked;   // … when it was ticked before
    int limit;             // the limit after reading, when it was 100 before
  };
  const Case cases[] = {
      {"2", true, true, 2},
      {"yes", false, true, 100},
      {"0", false, false, 0},
      {"1", true, true, 1},
      {"-1", true, true, -1},
      {"5000", true, true, 5000},
      {"0x1F", true, true, 31},
      {"0X0", false, false, 0},
      {"abc", false, true, 100},
      {"", false, true, 100},
      {"12abc", false, true, 100},
      {"1.5", false, true, 100},
      {"99999999999", true, true, 100},  // an integer, but too large for the limit
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    Write(QByteArray("[DEFAULTS]\nSCANSUBFOLDERS=") + c.stored + "\nINCLUDEUNKNOWN=" + c.stored +
          "\nTOTALMESSAGES=" + c.stored + "\n[GRID]\nWIDTHCOLUMNRecId=" + c.stored + "\n");
    Configuration config;
    config.ScanSubFolders = false;
    config.IncludeUnknown = true;
    FakeColumns columns(100);
    LoadSettings(path(), config, &columns);
    EXPECT_EQ(config.ScanSubFolders, c.flagFromCleared);
    EXPECT_EQ(config.IncludeUnknown, c.flagFromTicked);
    EXPECT_EQ(config.MessageLimit, c.limit);
    EXPECT_EQ(columns.Width(QStringLiteral("RecId")), c.limit);
  }
}

TEST_F(SettingsFile, MatchesSectionsAndKeysInAnyLetterCase) {
  Write(
      "[defaults]\nFolderScanId=e1\nstoreid=s1\nfoldername=Inbox\ntotalMessages=7\n"
      "[Contacts]\nfolderscanid=c1\n[grid]\nwidthcolumnsubject=222\n");
  Configuration config;
  FakeColumns columns;
  EXPECT_FALSE(LoadSettings(path(), config, &columns));
  EXPECT_EQ(config.FolderToScanEntryID, QStringLiteral("e1"));
  EXPECT_EQ(config.FolderToScanStoreID, QStringLiteral("s1"));
  EXPECT_EQ(config.FolderName, QStringLiteral("Inbox"));
  EXPECT_EQ(config.MessageLimit, 7);
  EXPECT_EQ(config.ContactsFolderToScanEntryID, QStringLiteral("c1"));
  EXPECT_EQ(columns.Width(QStringLiteral("Subject")), 222);
}

TEST_F(SettingsFile, LongValuesAreReadBackCut) {
  Configuration config;
  config.FolderToScanEntryID = QString(10000, u'e');
  config.FolderName = QString(10000, u'ש');
  config.ContactsFolderToScanEntryID = QStringLiteral("c");
  SaveSettings(path(), config, nullptr);
  Configuration read;
  LoadSettings(path(), read, nullptr);
  EXPECT_EQ(read.FolderToScanEntryID, QString(2047, u'e'));
  EXPECT_EQ(read.FolderName, QString(2047, u'ש'));
}

TEST_F(SettingsFile, ARefusedWriteNamesTheFile) {
  struct Case {
    QString path;
  };
  const QString blocked = home_.Path(QStringLiteral("a-directory"));
  home_.WriteFile(QStringLiteral("a-directory/x"), "x");
  const Case cases[] = {
      {home_.Path(QStringLiteral("missing/folder/feedwell.ini"))},
      {blocked},  // the settings path is a directory
  };
  for (const Case& c : cases) {
    try {
      SaveSettings(c.path, Configuration(), nullptr);
      ADD_FAILURE() << "no error for " << c.path.toStdString();
    } catch (const Error& e) {
      EXPECT_EQ(e.message(), QStringLiteral("Unable to write to ") + c.path);
    }
  }
}

TEST(FirstRunQuestion, ReadsAsSevenLinesTheSixthEmpty) {
  const QStringList lines = FirstRunQuestion().split(u'\r');
  ASSERT_EQ(lines.size(), 7);
  EXPECT_EQ(lines[0], QStringLiteral("In order to create list you would need"));
  EXPECT_TRUE(lines[5].isEmpty());
  EXPECT_EQ(lines[6], QStringLiteral("Run properties now?"));
  EXPECT_FALSE(FirstRunQuestion().contains(u'\n'));
}

}  // namespace
}  // namespace feedwell
