// The vCard reader, photo decoding and the business card, on well-formed and hostile input.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "common/Error.h"
#include "mailstore/CardImage.h"
#include "mailstore/VCard.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace feedwell::mailstore {
namespace {

QByteArray Encoded(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes;
}

QByteArray SmallPng() {
  QImage image(6, 4, QImage::Format_RGB32);
  image.fill(QColor(0x30, 0x60, 0x90));
  return Encoded(image, "PNG");
}

struct ExpectedCard {
  const char* name;
  std::vector<const char*> emails;
  bool photo;
};

struct Case {
  const char* what;
  QByteArray input;
  std::vector<ExpectedCard> cards;
};

std::vector<Case> Cases() {
  const QByteArray png64 = SmallPng().toBase64();
  return {
      {"2.1 quoted-printable in Latin-1 with a soft break",
       "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:J=FCrgen "
       "=\r\nM=FCller\r\n"
       "EMAIL;INTERNET:j@example.de\r\nEND:VCARD\r\n",
       {{"Jürgen Müller", {"j@example.de"}, false}}},
      {"2.1 bare BASE64 photo with unindented lines",
       "BEGIN:VCARD\nVERSION:2.1\nN:Doe;Jane\nPHOTO;PNG;BASE64:\n" + png64.left(20) + "\n" + png64.mid(20) +
           "\n\nEMAIL:jane@example.com\nEND:VCARD\n",
       {{"Jane Doe", {"jane@example.com"}, true}}},
      {"3.0 escapes, groups, mailto and folding",
       "BEGIN:VCARD\nVERSION:3.0\nFN:Smith\\, John\\; Jr.\nitem1.EMAIL;TYPE=INTERNET:mailto:john@exa\n "
       "mple.org\n"
       "EMAIL;TYPE=\"work,pref\":j.smith@work.example\nPHOTO;ENCODING=b;TYPE=PNG:" +
           png64 + "\nEND:VCARD\n",
       {{"Smith, John; Jr.", {"john@example.org", "j.smith@work.example"}, true}}},
      {"4.0 data URI photo and ORG as the only name",
       "BEGIN:VCARD\nVERSION:4.0\nORG:Acme "
       "Ltd;Sales\nEMAIL:sales@acme.example\nPHOTO:data:image/png;base64," +
           png64 + "\nEND:VCARD\n",
       {{"Acme Ltd", {"sales@acme.example"}, true}}},
      {"several cards, lower-case keywords, one without END",
       "begin:vcard\nfn:One\nemail:one@example.org\nend:vcard\nBEGIN:VCARD\nFN:Two\nEMAIL:two@example.org\n"
       "BEGIN:VCARD\nFN:Three\nEMAIL:three@example.org\n",
       {{"One", {"one@example.org"}, false},
        {"Two", {"two@example.org"}, false},
        {"Three", {"three@example.org"}, false}}},
      {"bytes that are not UTF-8 and an unknown encoding",
       "BEGIN:VCARD\nFN:Ren\xe9 Dupr\xe9\nEMAIL;ENCODING=X-ROT13:rene@example.fr\nEND:VCARD\n",
       {{"René Dupré", {"rene@example.fr"}, false}}},
      {"broken base64 photo",
       "BEGIN:VCARD\nFN:Bad Photo\nEMAIL:b@example.org\nPHOTO;ENCODING=b:@@@not*base64\nEND:VCARD\n",
       {{"Bad Photo", {"b@example.org"}, false}}},
      {"photo by URL is not fetched",
       "BEGIN:VCARD\nFN:Remote\nPHOTO;VALUE=uri:https://example.org/p.png\nEMAIL:r@example.org\nEND:VCARD\n",
       {{"Remote", {"r@example.org"}, false}}},
      {"text outside cards and lines without a colon",
       "garbage\nEMAIL:outside@example.org\nBEGIN:VCARD\nno colon here\nFN:Inside\nEND:VCARD\ntrailer\n",
       {{"Inside", {}, false}}},
      {"empty file", "", {}},
  };
}

TEST(VCardReader, ReadsEveryVersionAndSurvivesOddInput) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.what);
    const std::vector<VCard> cards = ReadVCards(c.input);
    ASSERT_EQ(cards.size(), c.cards.size());
    for (size_t i = 0; i < cards.size(); ++i) {
      EXPECT_EQ(cards[i].name, QString::fromUtf8(c.cards[i].name));
      QStringList emails;
      for (const char* email : c.cards[i].emails) emails.append(QString::fromUtf8(email));
      EXPECT_EQ(cards[i].emails, emails);
      EXPECT_EQ(!DecodePhoto(cards[i].photo).isNull(), c.cards[i].photo);
    }
  }
}

quint32 Crc32(const QByteArray& bytes) {
  quint32 crc = 0xFFFFFFFFu;
  for (char c : bytes) {
    crc ^= static_cast<quint8>(c);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBigEndian(QByteArray& bytes, qsizetype at, quint32 value, int size) {
  for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<char>((value >> (8 * (size - 1 - i))) & 0xFF);
}

// A PNG whose header claims 20,000 × 20,000 pixels (with a valid checksum).
QByteArray HugePng() {
  QByteArray png = SmallPng();
  PutBigEndian(png, 16, 20000, 4);
  PutBigEndian(png, 20, 20000, 4);
  PutBigEndian(png, 29, Crc32(png.mid(12, 17)), 4);
  return png;
}

// A JPEG whose frame header claims 20,000 × 20,000 pixels.
QByteArray HugeJpeg() {
  QImage image(16, 16, QImage::Format_RGB32);
  image.fill(Qt::red);
  QByteArray jpeg = Encoded(image, "JPEG");
  const qsizetype frame = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
  if (frame >= 0) {
    PutBigEndian(jpeg, frame + 5, 20000, 2);
    PutBigEndian(jpeg, frame + 7, 20000, 2);
  }
  return jpeg;
}

TEST(DecodePhoto, RefusesOrShrinksWhatWouldExhaustMemory) {
  struct PhotoCase {
    const char* what;
    QByteArray bytes;
    bool decodes;
  };
  const PhotoCase cases[] = {
      {"small PNG", SmallPng(), true},
      {"not an image", "GIF89a? no, just text", false},
      {"truncated PNG", SmallPng().left(30), false},
      {"PNG claiming 20,000 px square", HugePng(), false},
  };
  for (const PhotoCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(!DecodePhoto(c.bytes).isNull(), c.decodes);
  }
  // A JPEG can be decoded scaled down: whatever comes back is small.
  const QImage jpeg = DecodePhoto(HugeJpeg());
  EXPECT_LE(jpeg.width(), 1024);
  EXPECT_LE(jpeg.height(), 1024);
}

TEST(BusinessCard, DrawsThePhotoOrInitialsWithoutAGuiApplication) {
  ASSERT_EQ(QCoreApplication::instance(), nullptr);  // no fonts here: the card must still be drawn
  QImage photo(10, 10, QImage::Format_RGB32);
  photo.fill(QColor(0x11, 0x22, 0x33));
  const QImage withPhoto = RenderBusinessCard(QStringLiteral("A B"), QStringLiteral("a@b.c"), photo);
  EXPECT_EQ(withPhoto.pixel(10, 10), photo.pixel(0, 0));
  EXPECT_EQ(withPhoto.pixel(79, 79), photo.pixel(0, 0));
  EXPECT_NE(withPhoto.pixel(9, 9), photo.pixel(0, 0));
  EXPECT_NE(withPhoto.pixel(80, 80), photo.pixel(0, 0));

  const QImage initials = RenderBusinessCard(QStringLiteral("Dana Levi"), QString(), QImage());
  EXPECT_EQ(initials.pixel(45, 45), InitialsColour(QStringLiteral("Dana Levi")).rgb());
  EXPECT_NE(InitialsColour(QStringLiteral("Dana Levi")), InitialsColour(QStringLiteral("Noa Cohen")));
  EXPECT_EQ(InitialsOf(QStringLiteral("  dana   bat levi ")), QStringLiteral("DL"));
  EXPECT_EQ(InitialsOf(QString()), QStringLiteral("?"));
}

TEST(BusinessCard, SavingToAFolderThatIsNotThereRaisesNamingThePath) {
  QTemporaryDir dir;
  const QString good = dir.filePath(QStringLiteral("card.bmp"));
  SaveBitmapFile(RenderBusinessCard(QStringLiteral("X"), QString(), QImage()), good);
  EXPECT_EQ(QImage(good, "BMP").size(), QSize(kCardWidth, kCardHeight));
  const QString bad = dir.filePath(QStringLiteral("missing/card.bmp"));
  try {
    SaveBitmapFile(QImage(4, 4, QImage::Format_RGB32), bad);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_TRUE(error.message().contains(bad)) << error.message().toStdString();
  }
}

}  // namespace
}  // namespace feedwell::mailstore
