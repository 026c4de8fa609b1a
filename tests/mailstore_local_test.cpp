// What only the local store has: identifiers made from paths, folder layouts on disk, and
// message files that are broken, odd or gone.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "common/Error.h"
#include "mailstore/LocalStore.h"
#include "mailstore/MaildirMessage.h"
#include "mailstore/ModifiedUtf7.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace feedwell::mailstore {
namespace {

const QString kData = QStringLiteral(FEEDWELL_TEST_DATA "/mailstore");

QString ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.message();
  }
  return {};
}

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

void WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(path.section(u'/', 0, -2));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  ASSERT_EQ(file.write(bytes), bytes.size());
}

void SetModificationTime(const QString& path, qint64 secs) {
  struct timespec times[2] = {{secs, 0}, {secs, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

TEST(ModifiedUtf7, DecodesMailboxNamesAndRejectsMalformedOnes) {
  struct Case {
    const char* onDisk;
    const char* decoded;  // null: not valid modified UTF-7
  };
  const Case cases[] = {
      {"Inbox", "Inbox"},
      {"&BdQF0QXo-", "הבר"},
      {"Sent &- Drafts", "Sent & Drafts"},
      {"Entw&APw-rfe", "Entwürfe"},
      {"&2D3eAA-", "\U0001F600"},  // a surrogate pair
      {"&BdQ", nullptr},           // no closing '-'
      {"&BdQ*-", nullptr},         // not base64
      {"&2D0-", nullptr},          // a lone high surrogate
      {"caf\xc3\xa9", nullptr},    // raw 8-bit
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.onDisk);
    const QString decoded = DecodeModifiedUtf7(QByteArray(c.onDisk));
    if (c.decoded)
      EXPECT_EQ(decoded, QString::fromUtf8(c.decoded));
    else
      EXPECT_TRUE(decoded.isNull());
  }
}

class LocalStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(CopyTree(kData + QStringLiteral("/local/Mail"), Mail())); }
  QString Mail() const { return dir_.path() + QStringLiteral("/Mail"); }

  std::unique_ptr<Namespace> Open() {
    app_ = MakeLocalStore(std::vector<StoreRoot>{{Mail(), QStringLiteral("the-mail-store")}});
    return app_->GetNamespace(QStringLiteral("MAPI"));
  }

  std::unique_ptr<ItemCollection> ItemsOf(const QString& entryId) {
    auto ns = Open();
    auto items = ns->GetFolderFromID(entryId, QStringLiteral("the-mail-store"))->Items();
    items->Sort(QStringLiteral("ReceivedTime"), true);
    return items;
  }

  QTemporaryDir dir_;
  std::unique_ptr<Application> app_;
};

TEST_F(LocalStoreTest, FolderIdentifiersArePathsBelowTheRoot) {
  struct Case {
    const char* entryId;
    const char* name;
    int messages;
  };
  const Case cases[] = {
      {".", "Mail", 3},          {".Archive", "Archive", 0}, {".Archive.2025", "2025", 1},
      {"Lists", "Lists", 1},     {".Work", "Work", 1},       {".Work.Projects", "Projects", 1},
      {".&BdQF0QXo-", "הבר", 1},
  };
  auto ns = Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entryId);
    auto folder = ns->GetFolderFromID(QString::fromUtf8(c.entryId), QStringLiteral("the-mail-store"));
    EXPECT_EQ(folder->Name(), QString::fromUtf8(c.name));
    EXPECT_EQ(folder->EntryID(), QString::fromUtf8(c.entryId));
    EXPECT_EQ(folder->StoreID(), QStringLiteral("the-mail-store"));
    EXPECT_EQ(folder->Items()->Count(), c.messages);
  }
  // Not folders: a directory without cur/ or new/, a Maildir part, bookkeeping, escapes.
  for (const char* notFolder : {".notes", "attachments-cache", "cur", ".Work/cur", "dovecot-uidlist", "..",
                                "../Mail", "Lists/../.Work", "/etc", ".Work.Nothing"}) {
    EXPECT_FALSE(ErrorOf([&] {
                   ns->GetFolderFromID(QString::fromUtf8(notFolder), QStringLiteral("the-mail-store"));
                 }).isEmpty())
        << notFolder;
  }
}

TEST_F(LocalStoreTest, MessageEntryIdIsTheUniqueNameSoFlagChangesKeepIt) {
  auto items = ItemsOf(QStringLiteral(".Work"));
  ASSERT_EQ(items->Count(), 1);
  auto item = items->Item(1);
  EXPECT_EQ(item->EntryID(), QStringLiteral("1700000004.M4P1.fixture"));
  // Another client marks it read and answered: the file is renamed before we read it.
  ASSERT_TRUE(QFile::rename(Mail() + QStringLiteral("/.Work/cur/1700000004.M4P1.fixture:2,RS"),
                            Mail() + QStringLiteral("/.Work/cur/1700000004.M4P1.fixture:2,FRS")));
  EXPECT_EQ(item->Subject(), QStringLiteral("שלום"));
  EXPECT_EQ(item->EntryID(), QStringLiteral("1700000004.M4P1.fixture"));
}

TEST_F(LocalStoreTest, AMessageRemovedAfterSortingGivesAClearErrorForThatItemOnly) {
  auto items = ItemsOf(QStringLiteral("."));
  ASSERT_EQ(items->Count(), 3);
  ASSERT_TRUE(QFile::remove(Mail() + QStringLiteral("/cur/1700000003.M3P1.fixture:2,")));
  for (int i = 1; i <= 3; ++i) {
    auto item = items->Item(i);
    if (item->EntryID() != QLatin1String("1700000003.M3P1.fixture")) {
      EXPECT_FALSE(item->Subject().isEmpty());
      continue;
    }
    const QString message = ErrorOf([&] { item->Subject(); });
    EXPECT_TRUE(message.startsWith(QStringLiteral("item %1 of Mail cannot be read").arg(i)))
        << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("1700000003.M3P1.fixture"))) << message.toStdString();
    EXPECT_EQ(ErrorOf([&] { item->HTMLBody(); }), message);  // kept, not retried
  }
}

TEST_F(LocalStoreTest, AMessageIsReadOnceAndSortingNeedsNoContent) {
  auto items = ItemsOf(QStringLiteral("."));
  auto first = items->Item(1);
  const QString subject = first->Subject();
  // With every file gone, what was read stays and what comes from the listing still answers.
  QDir(Mail() + QStringLiteral("/cur")).removeRecursively();
  QDir(Mail() + QStringLiteral("/new")).removeRecursively();
  EXPECT_EQ(first->Subject(), subject);
  EXPECT_FALSE(first->HTMLBody().isEmpty());
  items->Sort(QStringLiteral("ReceivedTime"), false);
  for (int i = 1; i <= items->Count(); ++i) {
    EXPECT_FALSE(items->Item(i)->EntryID().isEmpty());
    EXPECT_GT(items->Item(i)->ReceivedTime(), 0);
  }
}

TEST_F(LocalStoreTest, SymlinkLoopsBetweenFoldersEnd) {
  ASSERT_EQ(::symlink("..", QFile::encodeName(Mail() + QStringLiteral("/Lists/up")).constData()), 0);
  ASSERT_EQ(::symlink("../Lists", QFile::encodeName(Mail() + QStringLiteral("/Lists/self")).constData()), 0);
  auto ns = Open();
  std::function<int(Folder&, int)> count = [&](Folder& folder, int depth) {
    if (depth > 20) return 1000;
    auto children = folder.Folders();
    int total = 1;
    for (int i = 1; i <= children->Count(); ++i) total += count(*children->Item(i), depth + 1);
    return total;
  };
  auto root = ns->GetFolderFromID(QStringLiteral("."), QStringLiteral("the-mail-store"));
  EXPECT_EQ(count(*root, 0), 7);
}

// Runs `check` as an unprivileged user when the tests run as root (root reads everything), in a
// child process; its exit code is the number of failed checks.
int RunUnprivileged(const std::function<int()>& check) {
  if (::geteuid() != 0) return check();
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(100);
    ::_exit(check());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 101;
}

TEST_F(LocalStoreTest, UnreadableFoldersAndFilesRaiseNamingThem) {
  ASSERT_EQ(::chmod(QFile::encodeName(dir_.path()).constData(), 0755), 0);
  ASSERT_EQ(::chmod(QFile::encodeName(Mail() + QStringLiteral("/Lists/cur")).constData(), 0), 0);
  ASSERT_EQ(
      ::chmod(
          QFile::encodeName(Mail() + QStringLiteral("/.Work/cur/1700000004.M4P1.fixture:2,RS")).constData(),
          0),
      0);
  const int failures = RunUnprivileged([&] {
    int failed = 0;
    auto ns = Open();
    // The folder is listed (its parent is readable), but its messages cannot be.
    auto lists = ns->GetFolderFromID(QStringLiteral("Lists"), QStringLiteral("the-mail-store"));
    failed += !ErrorOf([&] { lists->Items(); }).contains(QStringLiteral("Lists/cur"));
    auto work = ns->GetFolderFromID(QStringLiteral(".Work"), QStringLiteral("the-mail-store"))->Items();
    failed += work->Count() != 1;
    const QString message = ErrorOf([&] { work->Item(1)->Subject(); });
    failed += !message.startsWith(QStringLiteral("item 1 of Work cannot be read"));
    failed += !message.contains(QStringLiteral("1700000004.M4P1.fixture"));
    return failed;
  });
  EXPECT_EQ(failures, 0);
}

// Broken and odd message files: each gives its item a clear error or a sound value; none stops
// the folder or the process.
class BrokenMessages : public LocalStoreTest {};

struct BrokenCase {
  const char* name;
  std::function<QByteArray()> bytes;
  const char* subject;  // expected Subject, or null when reading must raise
  const char* sender;
  bool sentIsReceived;   // no usable Date header
  const char* bodyHas;   // expected in HTMLBody (when readable)
  const char* errorHas;  // expected in the error (when not readable)
};

QByteArray DeepMime(int levels) {
  QByteArray head = "From: deep@example.org\nSubject: deep\nDate: Mon, 1 Jan 2024 00:00:00 +0000\n";
  QByteArray body;
  for (int i = 0; i < levels; ++i)
    body += "Content-Type: multipart/mixed; boundary=\"b" + QByteArray::number(i) + "\"\n\n--b" +
            QByteArray::number(i) + "\n";
  body += "Content-Type: text/plain\n\ninnermost\n";
  for (int i = levels - 1; i >= 0; --i) body += "--b" + QByteArray::number(i) + "--\n";
  return head + body;
}

QByteArray HugeAttachment() {
  QByteArray message =
      "From: big@example.org\nSubject: big\nDate: Mon, 1 Jan 2024 00:00:00 +0000\nMIME-Version: 1.0\n"
      "Content-Type: multipart/mixed; boundary=\"x\"\n\n--x\nContent-Type: text/plain\n\nsmall text\n--x\n"
      "Content-Type: application/octet-stream\nContent-Disposition: attachment; filename=big.bin\n"
      "Content-Transfer-Encoding: base64\n\n";
  const QByteArray line = QByteArray(76, 'A') + '\n';
  message.reserve(message.size() + 100 * 1024 * 1024 + 16);
  while (message.size() < 100 * 1024 * 1024) message += line;
  return message + "--x--\n";
}

const BrokenCase kBroken[] = {
    {"no From", [] { return QByteArray("Subject: lonely\nDate: Mon, 1 Jan 2024 00:00:00 +0000\n\nbody\n"); },
     "lonely", "", false, "body<br>", nullptr},
    {"address with slash and dots",
     [] { return QByteArray("From: \"x\" <../../etc/a/b@example.org>\nSubject: s\n\nb\n"); }, "s",
     "../../etc/a/b@example.org", true, "b<br>", nullptr},
    {"invalid Date",
     [] { return QByteArray("From: a@b.c\nSubject: s\nDate: the day after tomorrow\n\nx\n"); }, "s", "a@b.c",
     true, "x<br>", nullptr},
    {"RFC 2047 in an unknown charset",
     [] { return QByteArray("From: a@b.c\nSubject: =?x-no-such-charset?Q?abc?= =?utf-8?B?////?=\n\nx\n"); },
     nullptr, "a@b.c", true, "x<br>", nullptr},
    {"8-bit Latin-1 header", [] { return QByteArray("From: a@b.c\nSubject: caf\xe9 cr\xe8me\n\nx\n"); },
     "café crème", "a@b.c", true, "x<br>", nullptr},
    {"no body", [] { return QByteArray("From: a@b.c\nSubject: empty\n"); }, "empty", "a@b.c", true, "",
     nullptr},
    {"MIME 1,000 levels deep", [] { return DeepMime(1000); }, "deep", "deep@example.org", false, "", nullptr},
    {"100 MB attachment", HugeAttachment, "big", "big@example.org", false, "small text<br>", nullptr},
    {"NULs", [] { return QByteArray("From: a@b.c\nSubject: n\0ul\n\nbefore\0after\n", 39); }, nullptr,
     "a@b.c", true, "before", nullptr},
    {"plain text in an unknown charset",
     [] {
       return QByteArray(
           "From: a@b.c\nSubject: s\nContent-Type: text/plain; charset=x-martian\n\nhello <x>\n");
     },
     "s", "a@b.c", true, "hello &lt;x&gt;<br>", nullptr},
    {"empty file", [] { return QByteArray(); }, nullptr, nullptr, false, nullptr, "the file is empty"},
    {"a picture, not a message",
     [] { return QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x02\0\0\0", 29); },
     nullptr, nullptr, false, nullptr, "not a mail message"},
};

TEST_F(BrokenMessages, EachGivesAClearErrorOrASoundValue) {
  int index = 0;
  for (const BrokenCase& c : kBroken) {
    SCOPED_TRACE(c.name);
    const QString path = Mail() + QStringLiteral("/.Broken/cur/%1.M1P1.broken:2,").arg(1800000000 + index);
    WriteFile(path, c.bytes());
    SetModificationTime(path, 1800000000 + index);
    ++index;
  }
  auto items = ItemsOf(QStringLiteral(".Broken"));
  ASSERT_EQ(items->Count(), static_cast<int>(std::size(kBroken)));
  for (size_t i = 0; i < std::size(kBroken); ++i) {
    const BrokenCase& c = kBroken[i];
    SCOPED_TRACE(c.name);
    const int position = static_cast<int>(std::size(kBroken) - i);  // newest first
    auto item = items->Item(position);
    EXPECT_EQ(item->EntryID(), QStringLiteral("%1.M1P1.broken").arg(1800000000 + i));
    if (c.errorHas) {
      const QString message = ErrorOf([&] { item->Subject(); });
      EXPECT_TRUE(message.startsWith(QStringLiteral("item %1 of Broken").arg(position)))
          << message.toStdString();
      EXPECT_TRUE(message.contains(QString::fromUtf8(c.errorHas))) << message.toStdString();
      continue;
    }
    QString subject;
    EXPECT_TRUE(ErrorOf([&] { subject = item->Subject(); }).isEmpty());
    if (c.subject) {
      EXPECT_EQ(subject, QString::fromUtf8(c.subject));
    }
    EXPECT_EQ(item->SenderEmailAddress(), QString::fromUtf8(c.sender));
    if (c.sentIsReceived)
      EXPECT_EQ(item->SentOn(), item->ReceivedTime());
    else
      EXPECT_NE(item->SentOn(), item->ReceivedTime());
    const QString body = item->HTMLBody();
    EXPECT_TRUE(body.contains(QString::fromUtf8(c.bodyHas))) << body.left(200).toStdString();
    EXPECT_LT(body.size(), 1000);  // never an attachment's content
  }
}

TEST(PlainTextToHtml, EscapesAndKeepsEveryLineBreak) {
  EXPECT_EQ(PlainTextToHtml(QStringLiteral("a < b\r\n\r\nc & \"d\"\re\n")),
            QStringLiteral("a &lt; b<br>\r\n<br>\r\nc &amp; &quot;d&quot;<br>\r\ne<br>\r\n"));
}

}  // namespace
}  // namespace feedwell::mailstore
