// The home's store profile and the `folders` command that prints it.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "collection/StoreProfile.h"
#include "support/TempHome.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace feedwell {
namespace {

const QString kData = QStringLiteral(FEEDWELL_TEST_DATA "/mailstore");

bool CopyTree(const QString& from, const QString& to) {
  QDir().mkpath(to);
  QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString source = it.next();
    const QString target = to + source.mid(from.size());
    if (it.fileInfo().isDir() ? !QDir().mkpath(target) : !QFile::copy(source, target)) return false;
  }
  return true;
}

void MakeMaildir(const QString& path) {
  for (const char* part : {"cur", "new", "tmp"}) QDir().mkpath(path + u'/' + QLatin1String(part));
}

// Each top folder as "name=store id".
QStringList Stores(mailstore::Application& app) {
  auto ns = app.GetNamespace(QStringLiteral("MAPI"));
  auto tops = ns->Folders();
  QStringList stores;
  for (int i = 1; i <= tops->Count(); ++i) {
    auto top = tops->Item(i);
    stores.append(top->Name() + u'=' + top->StoreID());
    // The store id finds its store again.
    EXPECT_EQ(ns->GetFolderFromID(top->EntryID(), top->StoreID())->Name(), top->Name());
  }
  return stores;
}

TEST(StoreProfile, ReadsStoreKeysInNumberOrderElseTheHomeFolders) {
  QTemporaryDir outside;
  MakeMaildir(outside.filePath(QStringLiteral("Elsewhere")));
  struct Case {
    const char* what;
    QByteArray settings;  // %OUT% stands for a folder outside the home, %HOME% for the home
    std::vector<const char*> folders;
    QStringList expected;
  };
  const Case cases[] = {
      {"no profile: Mail and Contacts",
       "",
       {"Mail", "Contacts"},
       {QStringLiteral("Mail=Mail"), QStringLiteral("Contacts=Contacts")}},
      {"no profile: only what exists",
       "[DEFAULTS]\nx=1\n",
       {"Contacts"},
       {QStringLiteral("Contacts=Contacts")}},
      {"numbered keys in number order, others ignored",
       "[Profile]\nStore10=%OUT%/Elsewhere\nstore2=Mail\nOther=Contacts\nStore1=Sub/Box\n",
       {"Mail", "Contacts", "Sub/Box"},
       {QStringLiteral("Box=Sub/Box"), QStringLiteral("Mail=Mail"),
        QStringLiteral("Elsewhere=%OUT%/Elsewhere")}},
      {"absolute path inside the home becomes relative",
       "[PROFILE]\nStore1=%HOME%/Mail/\n",
       {"Mail", "Contacts"},
       {QStringLiteral("Mail=Mail")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempHome home;
    for (const char* folder : c.folders) MakeMaildir(home.Path(QString::fromUtf8(folder)));
    QByteArray settings = c.settings;
    settings.replace("%OUT%", QFile::encodeName(outside.path()))
        .replace("%HOME%", QFile::encodeName(home.home().dir()));
    if (!settings.isEmpty()) home.WriteFile(QStringLiteral("feedwell.ini"), settings);
    auto app = OpenProfileStore(home.home());
    QStringList expected = c.expected;
    expected.replaceInStrings(QStringLiteral("%OUT%"), outside.path());
    EXPECT_EQ(Stores(*app), expected);
  }
}

TEST(StoreProfile, AChangedProfileCountsFromTheNextNamespace) {
  test::TempHome home;
  MakeMaildir(home.Path(QStringLiteral("Mail")));
  MakeMaildir(home.Path(QStringLiteral("Other")));
  auto app = OpenProfileStore(home.home());
  EXPECT_EQ(Stores(*app), QStringList{QStringLiteral("Mail=Mail")});
  home.WriteFile(QStringLiteral("feedwell.ini"), "[PROFILE]\nStore1=Other\n");
  EXPECT_EQ(Stores(*app), QStringList{QStringLiteral("Other=Other")});
}

TEST(FoldersCommand, PrintsTheTreeWithPathsAndIdentifiers) {
  const QString exe = qEnvironmentVariable("FEEDWELL_EXE");
  if (exe.isEmpty()) GTEST_SKIP() << "FEEDWELL_EXE is not set";
  test::TempHome home;
  ASSERT_TRUE(CopyTree(kData + QStringLiteral("/local/Mail"), home.Path(QStringLiteral("Mail"))));
  ASSERT_TRUE(CopyTree(kData + QStringLiteral("/local/Contacts"), home.Path(QStringLiteral("Contacts"))));
  QProcess process;
  process.start(exe, {QStringLiteral("--home"), home.home().dir(), QStringLiteral("folders")});
  ASSERT_TRUE(process.waitForFinished(60000));
  EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
  const QStringList lines =
      QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);

  struct Line {
    int depth;
    const char* path;
    const char* entryId;
    const char* storeId;
  };
  const Line expected[] = {
      {0, "Mail", ".", "Mail"},
      {1, "Mail/Archive", ".Archive", "Mail"},
      {2, "Mail/Archive/2025", ".Archive.2025", "Mail"},
      {1, "Mail/Lists", "Lists", "Mail"},
      {1, "Mail/Work", ".Work", "Mail"},
      {2, "Mail/Work/Projects", ".Work.Projects", "Mail"},
      {1, "Mail/הבר", ".&BdQF0QXo-", "Mail"},
      {0, "Contacts", ".", "Contacts"},
  };
  ASSERT_EQ(lines.size(), static_cast<qsizetype>(std::size(expected))) << lines.join(u'\n').toStdString();
  for (size_t i = 0; i < std::size(expected); ++i) {
    const QString line = lines.at(static_cast<qsizetype>(i));
    SCOPED_TRACE(line.toStdString());
    const QString indent(expected[i].depth * 2, u' ');
    EXPECT_TRUE(line.startsWith(indent + QString::fromUtf8(expected[i].path) + u' '));
    EXPECT_FALSE(line.at(indent.size()).isSpace());
    EXPECT_TRUE(line.contains(QStringLiteral("entry id: ") + QString::fromUtf8(expected[i].entryId) + u' '));
    EXPECT_TRUE(line.endsWith(QStringLiteral("store id: ") + QString::fromUtf8(expected[i].storeId)));
  }
}

}  // namespace
}  // namespace feedwell
