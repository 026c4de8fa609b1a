#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>

#include "collection/ContactThumbs.h"
#include "common/Error.h"
#include "mailstore/MemoryStore.h"
#include "support/FakeHost.h"
#include "support/TableFixtures.h"
#include "support/TempHome.h"

static void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace feedwell {
namespace {

using mailstore::MemoryContact;
using mailstore::MemoryFolder;
using mailstore::MemoryStore;

// A photo whose every pixel differs from its neighbours, so a thumbnail cut from the wrong place or
// scaled shows in a pixel comparison.
QImage PatternPhoto(int seed) {
  QImage photo(70, 70, QImage::Format_RGB32);
  for (int y = 0; y < 70; ++y) {
    for (int x = 0; x < 70; ++x)
      photo.setPixel(x, y, qRgb((x * 3 + seed) % 256, (y * 3 + seed * 7) % 256, (x * y + seed) % 256));
  }
  return photo;
}

MemoryContact Contact(const QString& name, QStringList emails, int seed = 1) {
  return MemoryContact{name, std::move(emails), PatternPhoto(seed)};
}

class ContactsTest : public ::testing::Test {
 protected:
  ContactsTest()
      : session_(home_.home()),
        contacts_(store_.AddStore(QStringLiteral("Contacts")).AddFolder(QStringLiteral("People"))) {
    session_.config.ContactsFolderToScanEntryID = contacts_.entryId();
    session_.config.ContactsFolderToScanStoreID = contacts_.storeId();
    session_.config.ContactsSubFolders = false;
  }

  void Run() {
    const std::unique_ptr<mailstore::Application> app = store_.MakeApplication();
    CreateContactsThumb(session_, host_, *app);
  }

  QString Thumb(const QString& address) const {
    return home_.Path(QStringLiteral("Data/contacts/") + address + QStringLiteral(".bmp"));
  }

  QStringList ThumbFiles() const {
    QStringList files =
        QDir(home_.Path(QStringLiteral("Data/contacts"))).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    files.removeAll(QStringLiteral("tmp.bmp"));
    return files;
  }

  test::TempHome home_;
  Session session_;
  MemoryStore store_;
  MemoryFolder& contacts_;
  test::FakeHost host_;
};

// The thumbnail is the card's square from (10, 10) to (80, 80), pixel for pixel, 70 × 70; a
// contact's three addresses give three files with that picture; blank addresses give none, and an
// address keeps its blanks and letter case in the file name.
TEST_F(ContactsTest, CutsTheCardSquareForEveryAddress) {
  contacts_.AddContact(Contact(
      QStringLiteral("Dana Levi"),
      {QStringLiteral("Dana@Example.com"), QStringLiteral("   "), QStringLiteral(" dl@example.org")}));
  Run();
  EXPECT_EQ(ThumbFiles(),
            (QStringList{QStringLiteral(" dl@example.org.bmp"), QStringLiteral("Dana@Example.com.bmp")}));

  QImage card(home_.Path(QStringLiteral("Data/contacts/tmp.bmp")), "BMP");
  ASSERT_FALSE(card.isNull());
  const QImage expected = card.copy(10, 10, 70, 70).convertToFormat(QImage::Format_RGB32);
  for (const QString& address : {QStringLiteral("Dana@Example.com"), QStringLiteral(" dl@example.org")}) {
    const QImage thumb = QImage(Thumb(address), "BMP").convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(thumb.size(), QSize(70, 70)) << address.toStdString();
    EXPECT_EQ(thumb, expected) << address.toStdString();
  }
  // The photo fills the square; so the thumbnail is not blank.
  EXPECT_NE(expected.pixel(0, 0), expected.pixel(69, 69));
}

TEST_F(ContactsTest, ProgressCountsPositionsOfTheFolder) {
  const struct {
    int contacts;
    QStringList texts;
  } cases[] = {
      {4,
       {QStringLiteral("1/4 - Total processed: 25%"), QStringLiteral("2/4 - Total processed: 50%"),
        QStringLiteral("3/4 - Total processed: 75%"), QStringLiteral("4/4 - Total processed: 100%")}},
      {3,
       {QStringLiteral("1/3 - Total processed: 33%"), QStringLiteral("2/3 - Total processed: 66%"),
        QStringLiteral("3/3 - Total processed: 100%")}},
      {0, {}},
  };
  for (const auto& c : cases) {
    MemoryStore store;
    MemoryFolder& folder = store.AddStore(QStringLiteral("C")).AddFolder(QStringLiteral("Friends"));
    for (int k = 0; k < c.contacts; ++k)
      folder.AddContact(Contact(QStringLiteral("P %1").arg(k), {QStringLiteral("p%1@x").arg(k)}));
    session_.config.ContactsFolderToScanEntryID = folder.entryId();
    session_.config.ContactsFolderToScanStoreID = folder.storeId();
    test::FakeHost host;
    const std::unique_ptr<mailstore::Application> app = store.MakeApplication();
    CreateContactsThumb(session_, host, *app);
    EXPECT_EQ(host.statusTexts(), c.texts);
    EXPECT_EQ(host.allLogLines(), (QStringList{QStringLiteral("Start scanning [Friends]"),
                                               QStringLiteral("End scanning [Friends]")}));
    EXPECT_EQ(store.logoffCount(), 1);
  }
}

// Addresses that could name a file outside Data/contacts are skipped with a log line; the
// contact's other addresses still get their thumbnails.
TEST_F(ContactsTest, SkipsAddressesThatCouldNameAnotherFolder) {
  const QStringList bad{QStringLiteral("../Exclude/x"), QStringLiteral("a/b"), QStringLiteral("a\\b"),
                        QStringLiteral(".."),           QStringLiteral("."),   QStringLiteral("a\tb")};
  for (const QString& address : bad)
    contacts_.AddContact(Contact(QStringLiteral("Bad"), {address, QStringLiteral("good@x")}));
  Run();
  EXPECT_EQ(ThumbFiles(), QStringList{QStringLiteral("good@x.bmp")});
  EXPECT_FALSE(QFileInfo::exists(home_.Path(QStringLiteral("Data/Exclude/x.bmp"))));
  EXPECT_TRUE(QDir(home_.Path(QStringLiteral("Data/contacts")))
                  .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                  .isEmpty());
  const QStringList skipped = host_.allLogLines().filter(QStringLiteral("Skipped the address"));
  EXPECT_EQ(skipped.size(), bad.size());
  EXPECT_TRUE(
      skipped.contains(QStringLiteral("Skipped the address \"a\\x09b\": it cannot name a thumbnail file")));
}

// One contact's failure ends only that contact, and the log says why.
TEST_F(ContactsTest, FailingContactIsLoggedAndTheRunGoesOn) {
  contacts_.AddContact(
      Contact(QStringLiteral("First"), {QStringLiteral("first@x"), QStringLiteral("first2@x")}));
  contacts_.AddOtherItem();
  contacts_.AddContact(Contact(QStringLiteral("Third"), {QStringLiteral("third@x")}));
  store_.FailOn(QStringLiteral("StoreItem.SaveBusinessCardImage"), QStringLiteral("the card cannot be drawn"),
                {}, 1);
  Run();
  EXPECT_EQ(ThumbFiles(), QStringList{QStringLiteral("third@x.bmp")});
  const QStringList log = host_.allLogLines();
  EXPECT_TRUE(log.contains(QStringLiteral("Skipped contact 1 of [People]: the card cannot be drawn")));
  EXPECT_EQ(log.filter(QStringLiteral("Skipped contact 2 of [People]: ")).size(), 1);
  EXPECT_EQ(log.last(), QStringLiteral("End scanning [People]"));
}

// Without Data/contacts every thumbnail fails inside the guard; the run ends normally and creates
// no folder.
TEST_F(ContactsTest, MissingContactsFolderFailsEachContactButEndsNormally) {
  QDir(home_.Path(QStringLiteral("Data/contacts"))).removeRecursively();
  contacts_.AddContact(Contact(QStringLiteral("A"), {QStringLiteral("a@x")}));
  contacts_.AddContact(Contact(QStringLiteral("B"), {QStringLiteral("b@x")}));
  EXPECT_NO_THROW(Run());
  EXPECT_EQ(host_.allLogLines().filter(QStringLiteral("Skipped contact")).size(), 2);
  EXPECT_FALSE(QFileInfo::exists(home_.Path(QStringLiteral("Data/contacts"))));
  EXPECT_EQ(store_.logoffCount(), 1);
  EXPECT_EQ(host_.suspendDepth, 0);
}

TEST_F(ContactsTest, SubfoldersAreReadOnlyWhenAskedAndOnlyOneLevelDeep) {
  MemoryFolder& family = contacts_.AddFolder(QStringLiteral("Family"));
  MemoryFolder& cousins = family.AddFolder(QStringLiteral("Cousins"));
  MemoryFolder& work = contacts_.AddFolder(QStringLiteral("Work"));
  contacts_.AddContact(Contact(QStringLiteral("Top"), {QStringLiteral("top@x")}));
  family.AddContact(Contact(QStringLiteral("Mum"), {QStringLiteral("mum@x")}));
  cousins.AddContact(Contact(QStringLiteral("Cousin"), {QStringLiteral("cousin@x")}));
  work.AddContact(Contact(QStringLiteral("Boss"), {QStringLiteral("boss@x")}));
  Run();
  EXPECT_EQ(ThumbFiles(), QStringList{QStringLiteral("top@x.bmp")});
  session_.config.ContactsSubFolders = true;
  host_.events.clear();
  Run();
  EXPECT_EQ(ThumbFiles(), (QStringList{QStringLiteral("boss@x.bmp"), QStringLiteral("mum@x.bmp"),
                                       QStringLiteral("top@x.bmp")}));
  EXPECT_EQ(host_.allLogLines().filter(QStringLiteral("Start scanning")),
            (QStringList{QStringLiteral("Start scanning [People]"), QStringLiteral("Start scanning [Family]"),
                         QStringLiteral("Start scanning [Work]")}));
}

// Running twice rewrites each file with the same picture; the last contact with an address wins.
TEST_F(ContactsTest, SecondRunRewritesTheSameFilesAndLastContactWins) {
  contacts_.AddContact(Contact(QStringLiteral("Old"), {QStringLiteral("shared@x")}, 1));
  contacts_.AddContact(Contact(QStringLiteral("New"), {QStringLiteral("shared@x")}, 90));
  Run();
  const QImage first(Thumb(QStringLiteral("shared@x")), "BMP");
  const QImage lastCard(home_.Path(QStringLiteral("Data/contacts/tmp.bmp")), "BMP");
  EXPECT_EQ(first.convertToFormat(QImage::Format_RGB32),
            lastCard.copy(10, 10, 70, 70).convertToFormat(QImage::Format_RGB32));
  Run();
  EXPECT_EQ(QImage(Thumb(QStringLiteral("shared@x")), "BMP"), first);
}

TEST_F(ContactsTest, FailedLookupEndsTheRunButLogsOffAndClearsBusy) {
  for (const QString& id : {QString(), QStringLiteral("Contacts/Gone")}) {
    session_.config.ContactsFolderToScanEntryID = id;
    const int logoffs = store_.logoffCount();
    EXPECT_THROW(Run(), Error);
    EXPECT_EQ(store_.logoffCount(), logoffs + 1);
    EXPECT_FALSE(session_.busy);
  }
  session_.config.ContactsFolderToScanEntryID = contacts_.entryId();
  contacts_.AddContact(Contact(QStringLiteral("A"), {QStringLiteral("a@x")}));
  store_.FailOn(QStringLiteral("ItemCollection.Item"), QStringLiteral("store went away"));
  EXPECT_THROW(Run(), Error);
  EXPECT_EQ(host_.suspendDepth, 0);
  EXPECT_TRUE(host_.events.contains(QStringLiteral("resume")));
}

// The list is focused on its first row at the end only when the table has rows.
TEST_F(ContactsTest, FocusesTheFirstRowOnlyWhenThereIsOne) {
  Run();
  EXPECT_FALSE(host_.events.contains(QStringLiteral("focus")));
  session_.table.Insert(test::MakeRecord(0, 46000));
  Run();
  EXPECT_TRUE(host_.events.contains(QStringLiteral("focus")));
}

}  // namespace
}  // namespace feedwell
