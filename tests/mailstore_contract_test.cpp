// One suite, every mail store: the memory store, the local store over the hand-made fixture and
// the local store over a store that Dovecot wrote. Each world holds the same messages and
// contacts (see tests/data/mailstore/README); the suite checks what callers rely on.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <functional>
#include <map>

#include "common/Error.h"
#include "mailstore/CardImage.h"
#include "mailstore/LocalStore.h"
#include "mailstore/MemoryStore.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace feedwell::mailstore {
namespace {

const QString kData = QStringLiteral(FEEDWELL_TEST_DATA "/mailstore");

struct ExpectedMessage {
  const char* key;     // the Message-ID's local part
  const char* folder;  // below the mail store's top folder, '/'-separated
  int hour;            // delivery: hours after 1 March 2024, 00:00 local time
  const char* subject;
  const char* sender;
  const char* date;  // the Date header as ISO 8601; null when the message has none
  const char* bodyHas;
  const char* bodyLacks;
};

const ExpectedMessage kMessages[] = {
    {"m1", "", 1, "Plain hello", "alice@example.org", "2023-11-14T10:00:00Z",
     "Line &lt;two&gt; &amp; three<br>", "<two>"},
    {"m2", "", 5, "Café ☕", "bob@example.net", "2023-11-15T12:30:00+02:00", "<p>Hi <b>Bob</b> — café</p>",
     "carol"},
    {"m3", "", 3, "Weekly report", "reports@example.com", "2023-11-16T08:15:00-05:00",
     "See the report → attached.", "ATTACHED REPORT"},
    {"m4", "Work", 2, "שלום", "dana@example.org", "2023-11-17T09:00:00+02:00", "<p dir=\"rtl\">שלום עולם</p>",
     "=F9"},
    {"m5", "Work/Projects", 4, "Grüße", "juergen@example.de", nullptr, "Grüße aus München<br>", "\uFFFD"},
    {"m6", "Archive/2025", 6, "Old news", "news@example.com", "2025-01-06T07:00:00Z", "Archived text.<br>",
     "<p>"},
    {"m7", "Lists", 7, "Résumé ready", "lists@example.org", "2025-03-01T18:45:00+01:00", "The list digest.",
     "\uFFFD"},
    {"m8", "הבר", 8, "בדיקה", "noa@example.co.il", "2025-03-02T10:00:00+02:00", "<div dir=rtl>בדיקה</div>",
     "&lt;"},
};

struct ExpectedContact {
  const char* name;
  const char* emails[3];
  const char* photo;  // file under tests/data/mailstore/photos, or null for initials
};

const ExpectedContact kContacts[] = {
    {"Dana Levi", {"dana@example.org", "dana.levi@work.example", ""}, "dana.jpg"},
    {"Émile Zola", {"emile@example.fr", "e.zola@work.example", "third@example.fr"}, "emile.png"},
    {"נועה כהן", {"noa@example.co.il", "", ""}, "noa.png"},
    {"Yossi Mizrahi", {"yossi@example.com", "", ""}, nullptr},
};

// What the photos look like once scaled to fill the card's square: colour at points inside it.
struct PhotoProbe {
  const char* photo;
  QPoint point;
  QRgb colour;
};
const PhotoProbe kProbes[] = {
    // 40 × 20, red | blue: scaled to 140 × 70 and cut in the middle, half red and half blue.
    {"dana.jpg", {20, 45}, qRgb(0xd0, 0x10, 0x10)},
    {"dana.jpg", {70, 45}, qRgb(0x10, 0x10, 0xd0)},
    {"dana.jpg", {30, 11}, qRgb(0xd0, 0x10, 0x10)},  // no letterbox band at the top
    // 20 × 40, green over yellow.
    {"emile.png", {45, 20}, qRgb(0x10, 0xa0, 0x10)},
    {"emile.png", {45, 70}, qRgb(0xe0, 0xd0, 0x20)},
    {"emile.png", {11, 25}, qRgb(0x10, 0xa0, 0x10)},  // nor at the side
    {"noa.png", {11, 11}, qRgb(0x80, 0x20, 0x90)},
    {"noa.png", {78, 78}, qRgb(0x80, 0x20, 0x90)},
};

QDateTime DeliveryTime(int hour) {
  return QDateTime(QDate(2024, 3, 1), QTime(0, 0), Qt::LocalTime).addSecs(hour * 3600LL);
}

QString Str(const char* text) {
  return QString::fromUtf8(text);
}

// A mail store with the fixture's content, however it was made.
struct World {
  std::unique_ptr<Application> app;
  std::map<QString, QString> entryIdOf;  // message key → its EntryID
  bool hasNestedFolder = true;           // Dovecot's Maildir++ has no nested directories
  std::unique_ptr<QTemporaryDir> dir;
  std::unique_ptr<MemoryStore> memory;
};

World MemoryWorld() {
  World world;
  world.memory = std::make_unique<MemoryStore>();
  MemoryFolder& mail = world.memory->AddStore(QStringLiteral("Mail"));
  std::map<QString, MemoryFolder*> folders{{QString(), &mail}};
  for (const char* path : {"Archive", "Archive/2025", "Lists", "Work", "Work/Projects", "הבר"}) {
    const QString folder = Str(path);
    const qsizetype slash = folder.lastIndexOf(u'/');
    MemoryFolder* parent = folders.at(slash < 0 ? QString() : folder.left(slash));
    folders[folder] = &parent->AddFolder(folder.mid(slash + 1));
  }
  for (const ExpectedMessage& m : kMessages) {
    MemoryMessage message;
    message.entryId = QStringLiteral("mem-") + Str(m.key);
    message.receivedTime = FromQDateTime(DeliveryTime(m.hour));
    message.sentOn = m.date ? FromQDateTime(QDateTime::fromString(Str(m.date), Qt::ISODate).toLocalTime())
                            : message.receivedTime;
    message.subject = Str(m.subject);
    message.senderEmailAddress = Str(m.sender);
    message.htmlBody = QStringLiteral("<html>") + Str(m.bodyHas) + QStringLiteral("</html>");
    folders.at(Str(m.folder))->AddMessage(message);
    world.entryIdOf[Str(m.key)] = message.entryId;
  }
  MemoryFolder& contacts = world.memory->AddStore(QStringLiteral("Contacts"));
  for (const ExpectedContact& c : kContacts) {
    MemoryContact contact;
    contact.name = Str(c.name);
    for (const char* email : c.emails) {
      if (*email) contact.emails.append(Str(email));
    }
    if (c.photo) contact.photo = QImage(kData + QStringLiteral("/photos/") + Str(c.photo));
    contacts.AddContact(contact);
  }
  world.app = world.memory->MakeApplication();
  return world;
}

bool CopyTree(const QString& from, const QString& to) {
  QDir().mkpath(to);
  QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString source = it.next();
    const QString target = to + source.mid(from.size());
    if (it.fileInfo().isDir()) {
      QDir().mkpath(target);
    } else if (!QFile::copy(source, target)) {
      return false;
    }
  }
  return true;
}

void SetModificationTime(const QString& path, const QDateTime& time) {
  struct timespec times[2];
  times[0].tv_sec = times[1].tv_sec = time.toSecsSinceEpoch();
  times[0].tv_nsec = times[1].tv_nsec = 0;
  ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0) << path.toStdString();
}

// Finds each fixture message's file by its Message-ID, gives it its delivery time and notes the
// Maildir unique name that must become its EntryID.
void DeliverFixtureMessages(const QString& mailRoot, World& world) {
  QDirIterator it(mailRoot, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    const QString place = it.fileInfo().dir().dirName();
    if (place != QLatin1String("cur") && place != QLatin1String("new")) continue;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(4096);
    for (const ExpectedMessage& m : kMessages) {
      if (!head.contains(QByteArray("Message-ID: <") + m.key + "@fixture>")) continue;
      SetModificationTime(path, DeliveryTime(m.hour));
      world.entryIdOf[Str(m.key)] = it.fileName().section(QStringLiteral(":2,"), 0, 0);
    }
  }
}

World LocalWorld(const QString& mailFixture, bool nested) {
  World world;
  world.dir = std::make_unique<QTemporaryDir>();
  const QString mail = world.dir->path() + QStringLiteral("/Mail");
  const QString contacts = world.dir->path() + QStringLiteral("/Contacts");
  EXPECT_TRUE(CopyTree(mailFixture, mail));
  EXPECT_TRUE(CopyTree(kData + QStringLiteral("/local/Contacts"), contacts));
  DeliverFixtureMessages(mail, world);
  world.hasNestedFolder = nested;
  world.app = MakeLocalStore(QStringList{mail, contacts});
  return world;
}

struct Backend {
  const char* name;
  std::function<World()> make;
};
void PrintTo(const Backend& backend, std::ostream* out) {
  *out << backend.name;
}

const Backend kBackends[] = {
    {"memory", MemoryWorld},
    {"local", [] { return LocalWorld(kData + QStringLiteral("/local/Mail"), true); }},
    {"dovecot", [] { return LocalWorld(kData + QStringLiteral("/dovecot/Maildir"), false); }},
};

QString ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.message();
  }
  return {};
}

class MailStoreContract : public ::testing::TestWithParam<Backend> {
 protected:
  static void SetUpTestSuite() {
    // Card text needs fonts, fonts need a QGuiApplication (offscreen in tests).
    if (!QGuiApplication::instance()) {
      static int argc = 1;
      static char name[] = "mailstore_contract_test";
      static char* argv[] = {name, nullptr};
      qputenv("QT_QPA_PLATFORM", "offscreen");
      static QGuiApplication app(argc, argv);
    }
  }

  void SetUp() override {
    world_ = GetParam().make();
    ASSERT_TRUE(world_.app);
    ns_ = world_.app->GetNamespace(QStringLiteral("MAPI"));
    ns_->Logon(QString(), QString(), false, false);
  }

  std::unique_ptr<Folder> Open(const QString& path) {
    const QStringList names = path.split(u'/');
    auto tops = ns_->Folders();
    std::unique_ptr<Folder> folder;
    for (int i = 1; i <= tops->Count() && !folder; ++i) {
      auto top = tops->Item(i);
      if (top->Name() == names.first()) folder = std::move(top);
    }
    for (qsizetype level = 1; folder && level < names.size(); ++level) {
      auto children = folder->Folders();
      std::unique_ptr<Folder> next;
      for (int i = 1; i <= children->Count() && !next; ++i) {
        auto child = children->Item(i);
        if (child->Name() == names.at(level)) next = std::move(child);
      }
      folder = std::move(next);
    }
    if (!folder) ADD_FAILURE() << "no folder " << path.toStdString();
    return folder;
  }

  std::vector<const ExpectedMessage*> MessagesOf(const QString& folder) const {
    std::vector<const ExpectedMessage*> found;
    for (const ExpectedMessage& m : kMessages) {
      if (Str(m.folder) == folder && (world_.hasNestedFolder || Str(m.folder) != QLatin1String("Lists")))
        found.push_back(&m);
    }
    return found;
  }

  void Walk(FolderCollection& folders, const QString& parentPath, QStringList& paths,
            std::vector<std::pair<QString, QString>>& ids) {
    for (int i = 1; i <= folders.Count(); ++i) {
      auto folder = folders.Item(i);
      const QString path = parentPath.isEmpty() ? folder->Name() : parentPath + u'/' + folder->Name();
      paths.append(path);
      ids.emplace_back(folder->EntryID(), folder->StoreID());
      auto children = folder->Folders();
      Walk(*children, path, paths, ids);
    }
  }

  World world_;
  std::unique_ptr<Namespace> ns_;
};

TEST_P(MailStoreContract, ListsTheFolderTreeByNameWithStableIdentifiers) {
  QStringList paths;
  std::vector<std::pair<QString, QString>> ids;
  auto tops = ns_->Folders();
  Walk(*tops, QString(), paths, ids);
  QStringList expected{
      QStringLiteral("Mail"),       QStringLiteral("Mail/Archive"), QStringLiteral("Mail/Archive/2025"),
      QStringLiteral("Mail/Lists"), QStringLiteral("Mail/Work"),    QStringLiteral("Mail/Work/Projects"),
      QStringLiteral("Mail/הבר"),   QStringLiteral("Contacts")};
  if (!world_.hasNestedFolder) expected.removeAll(QStringLiteral("Mail/Lists"));
  EXPECT_EQ(paths, expected);
  ASSERT_EQ(ids.size(), static_cast<size_t>(paths.size()));

  // Identifiers: one store id per store, distinct entry ids, and each pair opens its folder.
  const QString mailStore = ids.front().second;
  const QString contactsStore = ids.back().second;
  EXPECT_NE(mailStore, contactsStore);
  for (size_t i = 0; i < ids.size(); ++i) {
    SCOPED_TRACE(paths.at(static_cast<qsizetype>(i)).toStdString());
    EXPECT_FALSE(ids[i].first.isEmpty());
    EXPECT_EQ(ids[i].second, i + 1 < ids.size() ? mailStore : contactsStore);
    for (size_t j = 0; j < i; ++j) {
      if (ids[j].second == ids[i].second) {
        EXPECT_NE(ids[j].first, ids[i].first);
      }
    }
    auto reopened = ns_->GetFolderFromID(ids[i].first, ids[i].second);
    EXPECT_EQ(reopened->Name(), paths.at(static_cast<qsizetype>(i)).section(u'/', -1));
    EXPECT_EQ(reopened->EntryID(), ids[i].first);
    EXPECT_EQ(reopened->StoreID(), ids[i].second);
    EXPECT_EQ(reopened->Items()->Count(), Open(paths.at(static_cast<qsizetype>(i)))->Items()->Count());
  }
}

TEST_P(MailStoreContract, UnknownIdentifiersRaiseNamingThem) {
  auto folder = Open(QStringLiteral("Mail/Work"));
  const QString entryId = folder->EntryID();
  const QString storeId = folder->StoreID();
  const QString contactsStore = Open(QStringLiteral("Contacts"))->StoreID();
  struct Case {
    QString entryId;
    QString storeId;
  };
  const Case cases[] = {
      {entryId + QStringLiteral("-gone"), storeId},
      {entryId, storeId + QStringLiteral("-gone")},
      {entryId, contactsStore},
      {QString(), storeId},
      {QStringLiteral("../Contacts"), storeId},
  };
  for (const Case& c : cases) {
    const QString message = ErrorOf([&] { ns_->GetFolderFromID(c.entryId, c.storeId); });
    EXPECT_TRUE(message.startsWith(QStringLiteral("no folder matches entry id"))) << message.toStdString();
    EXPECT_TRUE(message.contains(c.entryId) && message.contains(c.storeId)) << message.toStdString();
  }
  EXPECT_FALSE(ErrorOf([&] { world_.app->GetNamespace(QStringLiteral("IMAP")); }).isEmpty());
}

TEST_P(MailStoreContract, SortsByReceivedTimeEitherWay) {
  for (const char* path : {"", "Work", "Work/Projects"}) {
    SCOPED_TRACE(path);
    auto items =
        Open(QStringLiteral("Mail") + (*path ? QStringLiteral("/") + Str(path) : QString()))->Items();
    std::vector<const ExpectedMessage*> expected = MessagesOf(Str(path));
    ASSERT_EQ(items->Count(), static_cast<int>(expected.size()));
    for (bool descending : {true, false}) {
      std::sort(expected.begin(), expected.end(),
                [&](auto* a, auto* b) { return descending ? a->hour > b->hour : a->hour < b->hour; });
      items->Sort(QStringLiteral("ReceivedTime"), descending);
      for (int i = 1; i <= items->Count(); ++i)
        EXPECT_EQ(items->Item(i)->EntryID(), world_.entryIdOf.at(Str(expected[i - 1]->key))) << i;
    }
  }
  EXPECT_FALSE(ErrorOf([&] {
                 Open(QStringLiteral("Mail"))->Items()->Sort(QStringLiteral("Subject"), true);
               }).isEmpty());
}

TEST_P(MailStoreContract, ReadsTheSixMailProperties) {
  for (const ExpectedMessage& m : kMessages) {
    if (!world_.hasNestedFolder && Str(m.folder) == QLatin1String("Lists")) continue;
    SCOPED_TRACE(m.key);
    auto items =
        Open(QStringLiteral("Mail") + (*m.folder ? QStringLiteral("/") + Str(m.folder) : QString()))->Items();
    std::unique_ptr<StoreItem> item;
    for (int i = 1; i <= items->Count() && !item; ++i) {
      auto candidate = items->Item(i);
      if (candidate->EntryID() == world_.entryIdOf.at(Str(m.key))) item = std::move(candidate);
    }
    ASSERT_TRUE(item);
    const DateTime received = FromQDateTime(DeliveryTime(m.hour));
    EXPECT_NEAR(item->ReceivedTime(), received, 1e-6);
    const DateTime sent =
        m.date ? FromQDateTime(QDateTime::fromString(Str(m.date), Qt::ISODate).toLocalTime()) : received;
    EXPECT_NEAR(item->SentOn(), sent, 1e-6);
    EXPECT_EQ(item->Subject(), Str(m.subject));
    EXPECT_EQ(item->SenderEmailAddress(), Str(m.sender));
    const QString body = item->HTMLBody();
    EXPECT_TRUE(body.contains(Str(m.bodyHas))) << body.toStdString();
    EXPECT_FALSE(body.contains(Str(m.bodyLacks))) << body.toStdString();
    // Contact properties are not a message's.
    EXPECT_TRUE(ErrorOf([&] { item->Email1Address(); }).contains(QStringLiteral("is not a contact")));
  }
}

TEST_P(MailStoreContract, ReadsContactAddressesAndDrawsTheirCards) {
  auto items = Open(QStringLiteral("Contacts"))->Items();
  ASSERT_EQ(items->Count(), static_cast<int>(std::size(kContacts)));
  QTemporaryDir out;
  std::vector<QRgb> initialsColours;
  for (int i = 1; i <= items->Count(); ++i) {
    auto item = items->Item(i);
    const ExpectedContact* contact = nullptr;
    for (const ExpectedContact& c : kContacts) {
      if (Str(c.emails[0]) == item->Email1Address()) contact = &c;
    }
    ASSERT_TRUE(contact) << item->Email1Address().toStdString();
    SCOPED_TRACE(contact->name);
    EXPECT_EQ(item->Email2Address(), Str(contact->emails[1]));
    EXPECT_EQ(item->Email3Address(), Str(contact->emails[2]));
    EXPECT_EQ(ErrorOf([&] { item->Subject(); }),
              QStringLiteral("item %1 of Contacts is not a mail message").arg(i));

    const QString path = out.filePath(QStringLiteral("card%1.bmp").arg(i));
    item->SaveBusinessCardImage(path);
    QImage card;
    ASSERT_TRUE(card.load(path, "BMP"));
    EXPECT_GE(card.width(), 240);
    EXPECT_GE(card.height(), 140);
    if (contact->photo) {
      for (const PhotoProbe& probe : kProbes) {
        if (qstrcmp(probe.photo, contact->photo) != 0) continue;
        const QRgb got = card.pixel(probe.point);
        EXPECT_NEAR(qRed(got), qRed(probe.colour), 40) << probe.point.x() << "," << probe.point.y();
        EXPECT_NEAR(qGreen(got), qGreen(probe.colour), 40) << probe.point.x() << "," << probe.point.y();
        EXPECT_NEAR(qBlue(got), qBlue(probe.colour), 40) << probe.point.x() << "," << probe.point.y();
      }
    } else {
      // Initials on a colour of the name's own: the square's corner carries that colour.
      EXPECT_EQ(card.pixel(11, 11), InitialsColour(Str(contact->name)).rgb());
      EXPECT_NE(card.pixel(11, 11), card.pixel(200, 130));
    }
  }
}

TEST_P(MailStoreContract, OutOfRangeIndexesRaise) {
  auto items = Open(QStringLiteral("Mail/Work"))->Items();
  const int count = items->Count();
  for (int index : {0, -1, count + 1}) EXPECT_FALSE(ErrorOf([&] { items->Item(index); }).isEmpty()) << index;
  auto folders = Open(QStringLiteral("Mail"))->Folders();
  EXPECT_FALSE(ErrorOf([&] { folders->Item(folders->Count() + 1); }).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Stores, MailStoreContract, ::testing::ValuesIn(kBackends),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace feedwell::mailstore
