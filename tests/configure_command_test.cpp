#include <gtest/gtest.h>

#include <unistd.h>
#include <ostream>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "cli/Command.h"
#include "common/Error.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "support/TempHome.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace feedwell::cli {
namespace {

// A home with a Maildir++ store Mail/ (Archive, Archive/2024 and a nested "דואר נכנס") and a
// contacts store Contacts/ (one card, subfolder Work).
class Configure : public ::testing::Test {
 protected:
  Configure() {
    for (const char* dir : {"Mail", "Mail/.Archive", "Mail/.Archive.2024", "Mail/דואר נכנס", "Mail/x.y z"}) {
      for (const char* sub : {"cur", "new", "tmp"})
        QDir().mkpath(home_.Path(QString::fromUtf8(dir) + u'/' + QLatin1String(sub)));
    }
    home_.WriteFile(QStringLiteral("Contacts/ann.vcf"),
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\nEMAIL:ann@example.org\r\nEND:VCARD\r\n");
    home_.WriteFile(QStringLiteral("Contacts/Work/bob.vcf"),
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bob\r\nEMAIL:bob@example.org\r\nEND:VCARD\r\n");
  }

  int Run(const QStringList& args) {
    out_.clear();
    err_.clear();
    QTextStream out(&out_);
    QTextStream err(&err_);
    CommandContext context{home_.home(), false, out, err};
    return RunConfigure(context, args);
  }

  QString Read(const char* section, const char* key) const {
    return IniFile(path()).ReadString(QLatin1String(section), QLatin1String(key), QStringLiteral("(absent)"));
  }
  QString path() const { return home_.home().GetSettingsFileName(); }
  QStringList Stores() const {
    return {QStringLiteral("--store"), home_.Path(QStringLiteral("Mail")), QStringLiteral("--store"),
            home_.Path(QStringLiteral("Contacts"))};
  }

  test::TempHome home_{false};
  QString out_;
  QString err_;
};

TEST_F(Configure, WritesWhatOkInTheDialogWritesAndTheProfile) {
  EXPECT_EQ(Run(Stores() + QStringList{QStringLiteral("--scan-folder"), QStringLiteral("Mail/Archive/2024"),
                                       QStringLiteral("--contacts-folder=Contacts"),
                                       QStringLiteral("--limit"), QStringLiteral("5000"),
                                       QStringLiteral("--subfolders"), QStringLiteral("off"),
                                       QStringLiteral("--include-unknown"), QStringLiteral("on")}),
            0);
  // Roots inside the home are stored relative to it, so the home can move.
  EXPECT_EQ(Read("PROFILE", "Store1"), QStringLiteral("Mail"));
  EXPECT_EQ(Read("PROFILE", "Store2"), QStringLiteral("Contacts"));

  Configuration config;
  EXPECT_FALSE(LoadSettings(path(), config, nullptr)) << "a contacts folder is set: no first-run question";
  EXPECT_EQ(config.FolderName, QStringLiteral("2024"));
  EXPECT_EQ(config.FolderToScanStoreID, QStringLiteral("Mail"));
  EXPECT_FALSE(config.FolderToScanEntryID.isEmpty());
  EXPECT_NE(config.FolderToScanEntryID, QStringLiteral("0"));
  EXPECT_EQ(config.ContactsFolderName, QStringLiteral("Contacts"));
  EXPECT_EQ(config.ContactsFolderToScanEntryID, QStringLiteral("."));
  EXPECT_EQ(config.ContactsFolderToScanStoreID, QStringLiteral("Contacts"));
  EXPECT_EQ(config.MessageLimit, 5000);
  EXPECT_FALSE(config.ScanSubFolders);
  EXPECT_TRUE(config.IncludeUnknown);
  EXPECT_EQ(Read("DEFAULTS", "TOTALMESSAGES"), QStringLiteral("5000"));
}

TEST_F(Configure, KeepsWhatNoOptionNames) {
  ASSERT_EQ(Run(Stores() + QStringList{QStringLiteral("--scan-folder"), QStringLiteral("Mail/דואר נכנס")}),
            0);
  IniFile(path()).WriteInteger(QStringLiteral("GRID"), QStringLiteral("WIDTHCOLUMNSubject"), 333);
  const QString entry = Read("DEFAULTS", "FOLDERSCANID");

  ASSERT_EQ(Run({QStringLiteral("--limit"), QStringLiteral("7"), QStringLiteral("--store"),
                 home_.Path(QStringLiteral("Mail"))}),
            0);
  EXPECT_EQ(Read("DEFAULTS", "FOLDERSCANID"), entry);
  EXPECT_EQ(Read("DEFAULTS", "FOLDERNAME"), QStringLiteral("דואר נכנס"));
  EXPECT_EQ(Read("DEFAULTS", "SCANSUBFOLDERS"), QStringLiteral("1"));
  EXPECT_EQ(Read("DEFAULTS", "TOTALMESSAGES"), QStringLiteral("7"));
  EXPECT_EQ(Read("GRID", "WIDTHCOLUMNSubject"), QStringLiteral("333"));
  // The shorter store list ends where the old one had more.
  EXPECT_EQ(Read("PROFILE", "Store1"), QStringLiteral("Mail"));
  EXPECT_EQ(Read("PROFILE", "Store2"), QString());
  // Without a contacts folder the first-run question stays due.
  Configuration config;
  EXPECT_TRUE(LoadSettings(path(), config, nullptr));
}

TEST_F(Configure, AFolderThatIsNotThereNamesTheClosestAndWritesNothing) {
  struct Case {
    const char* wanted;
    const char* closest;
  };
  const Case cases[] = {
      {"Mail/Archiv", "Mail/Archive"},
      {"mail/archive/2024", "Mail/Archive/2024"},
      {"Archive/2024", "Mail/Archive/2024"},
      {"Mail/x.y  z", "Mail/x.y z"},
      {"", "Mail"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wanted);
    try {
      Run(Stores() + QStringList{QStringLiteral("--scan-folder"), QString::fromUtf8(c.wanted),
                                 QStringLiteral("--limit"), QStringLiteral("9")});
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      const QStringList lines = e.message().split(u'\n');
      EXPECT_TRUE(lines[0].contains(QStringLiteral("no folder"))) << e.message().toStdString();
      ASSERT_GE(lines.size(), 2);
      EXPECT_EQ(lines[1].trimmed(), QString::fromUtf8(c.closest));
    }
    EXPECT_FALSE(QFile::exists(path()));
  }
}

TEST_F(Configure, RefusesStoresThatAreNotThereOrNotStores) {
  home_.WriteFile(QStringLiteral("a-file"), "x");
  QDir().mkpath(home_.Path(QStringLiteral("empty")));
  QDir().mkpath(home_.Path(QStringLiteral("only-dirs/one/two")));
  struct Case {
    QString store;
    const char* says;
  };
  const Case cases[] = {
      {home_.Path(QStringLiteral("missing")), "does not exist"},
      {home_.Path(QStringLiteral("a-file")), "is not a folder"},
      {home_.Path(QStringLiteral("empty")), "is not a mail store"},
      {home_.Path(QStringLiteral("only-dirs")), "is not a mail store"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.store.toStdString());
    try {
      Run({QStringLiteral("--store"), home_.Path(QStringLiteral("Mail")), QStringLiteral("--store"),
           c.store});
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_TRUE(e.message().contains(QLatin1String(c.says))) << e.message().toStdString();
      EXPECT_TRUE(e.message().contains(c.store)) << e.message().toStdString();
    }
    EXPECT_FALSE(QFile::exists(path()));
  }

  if (geteuid() != 0) {  // the superuser reads everything
    QDir().mkpath(home_.Path(QStringLiteral("locked/cur")));
    QFile::setPermissions(home_.Path(QStringLiteral("locked")), QFileDevice::WriteOwner);
    EXPECT_THROW(Run({QStringLiteral("--store"), home_.Path(QStringLiteral("locked"))}), Error);
    QFile::setPermissions(home_.Path(QStringLiteral("locked")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }
}

TEST_F(Configure, AStoreOutsideTheHomeIsStoredWithItsFullPath) {
  QTemporaryDir outside;
  for (const char* sub : {"cur", "new", "tmp"})
    QDir().mkpath(outside.path() + QStringLiteral("/Mail/") + QLatin1String(sub));
  const QString root = outside.path() + QStringLiteral("/Mail");
  ASSERT_EQ(Run({QStringLiteral("--store"), root, QStringLiteral("--scan-folder"), QStringLiteral("Mail")}),
            0);
  EXPECT_EQ(Read("PROFILE", "Store1"), root);
  EXPECT_EQ(Read("DEFAULTS", "STOREID"), root);
  EXPECT_EQ(Read("DEFAULTS", "FOLDERSCANID"), QStringLiteral("."));
}

TEST_F(Configure, RejectsArgumentsItDoesNotUnderstand) {
  const QStringList cases[] = {
      {QStringLiteral("--frobnicate")},
      {QStringLiteral("--limit")},
      {QStringLiteral("--limit"), QStringLiteral("abc")},
      {QStringLiteral("--limit"), QStringLiteral("-1")},
      {QStringLiteral("--limit"), QStringLiteral("1.5")},
      {QStringLiteral("--limit"), QStringLiteral("0x10")},
      {QStringLiteral("--limit"), QStringLiteral("99999999999")},
      {QStringLiteral("--limit"), QString(10000, u'9')},
      {QStringLiteral("--subfolders"), QStringLiteral("yes")},
      {QStringLiteral("--include-unknown"), QStringLiteral("ON")},
      {QStringLiteral("Mail/Inbox")},
  };
  for (const QStringList& args : cases) {
    EXPECT_THROW(Run(args), UsageError) << args.join(u' ').left(40).toStdString();
    EXPECT_FALSE(QFile::exists(path()));
  }
}

// The executable: exit codes 0, 1 (an error) and 2 (a usage error), and the stored profile serving
// a later run that names no store.
TEST_F(Configure, ExitCodesOfTheExecutable) {
  const QString exe = qEnvironmentVariable("FEEDWELL_EXE");
  ASSERT_FALSE(exe.isEmpty());
  const auto run = [&](const QStringList& args) {
    QProcess p;
    p.start(exe,
            QStringList{QStringLiteral("--home"), home_.home().dir(), QStringLiteral("configure")} + args);
    EXPECT_TRUE(p.waitForFinished(30000));
    err_ = QString::fromUtf8(p.readAllStandardError());
    return p.exitCode();
  };
  EXPECT_EQ(run({QStringLiteral("--limit"), QStringLiteral("many")}), 2);
  EXPECT_EQ(run({QStringLiteral("--help")}), 0);
  EXPECT_FALSE(QFile::exists(path()));
  EXPECT_EQ(run(Stores() + QStringList{QStringLiteral("--scan-folder"), QStringLiteral("Mail/Nope")}), 1);
  EXPECT_TRUE(err_.contains(QStringLiteral("Mail/Archive"))) << err_.toStdString();
  EXPECT_EQ(run(Stores()), 0) << err_.toStdString();
  EXPECT_EQ(run({QStringLiteral("--contacts-folder"), QStringLiteral("Contacts/Work")}), 0)
      << err_.toStdString();
  EXPECT_EQ(Read("CONTACTS", "FOLDERNAME"), QStringLiteral("Work"));
  EXPECT_EQ(Read("CONTACTS", "STOREID"), QStringLiteral("Contacts"));
}

}  // namespace
}  // namespace feedwell::cli
