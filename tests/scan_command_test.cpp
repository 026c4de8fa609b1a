#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>

#include "collection/MessageTable.h"
#include "common/TextFile.h"
#include "settings/IniFile.h"
#include "support/TempHome.h"

static void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace feedwell {
namespace {

struct RunResult {
  int exitCode = -1;
  QString out;
  QString err;
};

// The fixture home of tests/data/collection with the example templates, a settings file and the
// messages dated the minutes in their names before now. The settings name the inbox of the
// Maildir++ store "Mail" and the vCard folder "Contacts" by the identifiers the local store gives.
class CommandHome {
 public:
  CommandHome() {
    const QString source = QStringLiteral(FEEDWELL_TEST_DATA "/collection/home");
    QDirIterator it(source, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    const QRegularExpression minutes(QStringLiteral("-m(\\d+):"));
    while (it.hasNext()) {
      const QString from = it.next();
      const QString relative = QDir(source).relativeFilePath(from);
      QFile file(from);
      EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << from.toStdString();
      home_.WriteFile(relative, file.readAll());
      const QRegularExpressionMatch age = minutes.match(relative);
      if (age.hasMatch()) {
        QFile copy(home_.Path(relative));
        EXPECT_TRUE(copy.open(QIODevice::ReadWrite));
        copy.setFileTime(QDateTime::currentDateTime().addSecs(-60 * age.captured(1).toInt()),
                         QFileDevice::FileModificationTime);
      }
      if (relative.contains(QLatin1String("/cur/"))) {
        const QString folder = home_.Path(relative.section(u'/', 0, -3));
        QDir().mkpath(folder + QStringLiteral("/new"));
        QDir().mkpath(folder + QStringLiteral("/tmp"));
      }
    }
    WriteSettings(QString());
  }

  // The settings file: the standard choices, then `extra` lines (later keys win where repeated).
  void WriteSettings(const QString& defaults,
                     const QString& contacts = QStringLiteral("FOLDERSCANID=.\n")) const {
    const QString text =
        QStringLiteral(
            "[PROFILE]\nStore1=Mail\nStore2=Contacts\n"
            "[DEFAULTS]\nSTOREID=Mail\nFOLDERNAME=Mail\n") +
        (defaults.contains(QLatin1String("FOLDERSCANID=")) ? QString() : QStringLiteral("FOLDERSCANID=.\n")) +
        defaults + QStringLiteral("[CONTACTS]\nSTOREID=Contacts\nFOLDERNAME=Contacts\n") + contacts;
    WriteTextFile(home().GetSettingsFileName(), text);
  }

  RunResult Run(const QString& command) const {
    QProcess process;
    process.start(qEnvironmentVariable("FEEDWELL_EXE"), {QStringLiteral("--home"), home().dir(), command});
    RunResult result;
    if (!process.waitForFinished(120000)) return result;
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
  }

  const Home& home() const { return home_.home(); }
  QString Path(const QString& relative) const { return home_.Path(relative); }
  void WriteFile(const QString& relative, const QByteArray& bytes) const { home_.WriteFile(relative, bytes); }

 private:
  test::TempHome home_;
};

// "   Total: T   New: N" of the result line, or -1s when it is missing.
std::pair<int, int> TotalAndNew(const QString& out) {
  static const QRegularExpression result(QStringLiteral("^Last Scanned: .+   Total: (\\d+)   New: (\\d+)$"),
                                         QRegularExpression::MultilineOption);
  const QRegularExpressionMatch m = result.match(out);
  if (!m.hasMatch()) return {-1, -1};
  return {m.captured(1).toInt(), m.captured(2).toInt()};
}

TEST(ScanCommand, ContactsThenScanMakeThumbnailsTablePageAndTimeStamps) {
  ASSERT_FALSE(qEnvironmentVariableIsEmpty("FEEDWELL_EXE"));
  CommandHome home;
  home.WriteFile(QStringLiteral("Data/Exclude/dave@example.com.bmp"), "BM");

  const RunResult contacts = home.Run(QStringLiteral("contacts"));
  ASSERT_EQ(contacts.exitCode, 0) << contacts.err.toStdString();
  for (const char* address : {"alice@example.com", "BOB@Example.com", "dave@example.com"}) {
    const QImage thumb(home.Path(QStringLiteral("Data/contacts/%1.bmp").arg(QLatin1String(address))), "BMP");
    EXPECT_EQ(thumb.size(), QSize(70, 70)) << address;
  }

  const RunResult scan = home.Run(QStringLiteral("scan"));
  ASSERT_EQ(scan.exitCode, 0) << scan.err.toStdString();
  // alice and bob (whose thumbnail is in capitals) in the inbox, alice twice in Sub; carol has no
  // thumbnail and dave a marker.
  EXPECT_EQ(TotalAndNew(scan.out), std::make_pair(4, 4)) << scan.out.toStdString();
  EXPECT_TRUE(scan.out.contains(home.home().PagePath()));

  MessageTable table;
  table.LoadFromFile(home.home().GetDataFileName());
  QStringList sources;
  for (const MessageRecord& r : table.Records()) sources << r.SourceName + u':' + r.Subject;
  sources.sort();
  EXPECT_EQ(sources,
            (QStringList{QStringLiteral("Mail:Lunch at noon"), QStringLiteral("Mail:Slides for Thursday"),
                         QStringLiteral("Sub:Second in Sub"), QStringLiteral("Sub:שלום מהתיקייה Sub")}));

  const QString page = ReadTextFile(home.home().PagePath());
  EXPECT_TRUE(page.contains(QStringLiteral("שלום מהתיקייה Sub")));
  EXPECT_TRUE(page.contains(QStringLiteral("Slides for Thursday")));
  EXPECT_FALSE(page.contains(QStringLiteral("Excluded sender")));
  EXPECT_FALSE(page.contains(QStringLiteral("Not in the address book")));

  const IniFile settings(home.home().GetSettingsFileName());
  const DateTime stamp = settings.ReadDateTime(QStringLiteral("Default"), QStringLiteral("UpdateDate"), -1);
  EXPECT_NE(stamp, -1);
  EXPECT_EQ(settings.ReadDateTime(QStringLiteral("Default"), QStringLiteral("UpdateLastNew"), -1), stamp);

  // A second scan finds the same messages and inserts none.
  const RunResult again = home.Run(QStringLiteral("scan"));
  ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
  EXPECT_EQ(TotalAndNew(again.out), std::make_pair(4, 0)) << again.out.toStdString();
}

// The options come from the settings file: limit per folder, subfolders, the sender filter.
TEST(ScanCommand, OptionsFromTheSettingsFile) {
  const struct {
    const char* defaults;
    int inserted;
  } cases[] = {
      {"SCANSUBFOLDERS=1\nINCLUDEUNKNOWN=1\nTOTALMESSAGES=100\n", 6},
      {"SCANSUBFOLDERS=1\nINCLUDEUNKNOWN=1\nTOTALMESSAGES=1\n", 2},
      {"SCANSUBFOLDERS=0\nINCLUDEUNKNOWN=1\nTOTALMESSAGES=3\n", 3},
      {"SCANSUBFOLDERS=1\nINCLUDEUNKNOWN=0\nTOTALMESSAGES=0\n", 0},
      {"SCANSUBFOLDERS=1\nINCLUDEUNKNOWN=0\nTOTALMESSAGES=100\n", 0},  // no thumbnails made yet
  };
  for (const auto& c : cases) {
    CommandHome home;
    home.WriteSettings(QLatin1String(c.defaults));
    const RunResult scan = home.Run(QStringLiteral("scan"));
    ASSERT_EQ(scan.exitCode, 0) << c.defaults << scan.err.toStdString();
    EXPECT_EQ(TotalAndNew(scan.out).second, c.inserted) << c.defaults << scan.out.toStdString();
  }
}

// Runs that cannot start or fail on the way exit 1 with a message on stderr and write no page.
TEST(ScanCommand, FailuresExitOneWithAMessage) {
  const struct {
    const char* command;
    const char* defaults;
    const char* contacts;
    bool settingsFile;
    const char* message;
  } cases[] = {
      {"scan", "FOLDERSCANID=0\n", "", true, "Select folder to scan!"},
      {"scan", "", "", false, "Select folder to scan!"},
      {"scan", "FOLDERSCANID=Gone\n", "", true, "Gone"},
      {"contacts", "", "", true, "Select a contacts folder first"},
      {"contacts", "", "FOLDERSCANID=Gone\n", true, "Gone"},
  };
  for (const auto& c : cases) {
    CommandHome home;
    home.WriteSettings(QLatin1String(c.defaults), QLatin1String(c.contacts));
    if (!c.settingsFile) QFile::remove(home.home().GetSettingsFileName());
    const RunResult run = home.Run(QLatin1String(c.command));
    EXPECT_EQ(run.exitCode, 1) << c.command << " " << c.defaults << c.contacts;
    EXPECT_TRUE(run.err.contains(QLatin1String(c.message))) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(home.home().PagePath()));
  }
}

// Without Data/contacts every contact fails on its own; the run still ends well and makes no
// folder.
TEST(ScanCommand, ContactsRunWithoutTheThumbnailFolderEndsNormally) {
  CommandHome home;
  QDir(home.Path(QStringLiteral("Data/contacts"))).removeRecursively();
  const RunResult run = home.Run(QStringLiteral("contacts"));
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_FALSE(QDir(home.Path(QStringLiteral("Data/contacts"))).exists());
}

}  // namespace
}  // namespace feedwell
