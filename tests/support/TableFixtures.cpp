#include "support/TableFixtures.h"

#include <QVector>

#include "collection/MessageTableFile.h"

namespace feedwell::test {

MessageRecord MakeRecord(int i, DateTime received) {
  static const char16_t* const kFolders[] = {u"Inbox", u"Inbox/Newsletters", u"Archive 2024"};
  static const char16_t* const kSenders[] = {u"alice@example.org", u"bob.smith@example.com",
                                             u"news@lists.example.net", u"carol+feeds@example.co.uk"};
  const QString n = QString::number(i);
  MessageRecord r;
  r.RecId = i + 1;
  r.SourceName = QString::fromUtf16(kFolders[i % 3]);
  r.InIndex = i + 1;
  r.SentON = received - 1.0 / 24;
  r.ReceivedDate = received;
  r.Subject = QStringLiteral("Weekly update #%1: plans, notes & numbers").arg(n);
  r.UpdateDate = received + 1;
  r.MsgContent = QStringLiteral(
                     "<html><body><p>Hello team,</p>\r\n<p>This is message %1. Here is what changed "
                     "this week:</p>\r\n<ul><li>Item one</li><li>Item two</li></ul>\r\n"
                     "<p>Regards,<br>The sender</p></body></html>")
                     .arg(n);
  r.FromEmail = QString::fromUtf16(kSenders[i % 4]);
  r.EntryID = QStringLiteral("EID-%1-00000000A1B2C3D4E5F60718293A4B5C6D7E8F90").arg(n);
  return r;
}

void WriteTableFile(const QString& path, int count) {
  const DateTime first = EncodeDateTime(2024, 6, 1, 8, 0, 0);
  QVector<MessageRecord> records;
  records.reserve(count);
  for (int i = 0; i < count; ++i) records.append(MakeRecord(i, first + i / 1440.0));
  SaveMessageTableFile(path, records);
}

}  // namespace feedwell::test
