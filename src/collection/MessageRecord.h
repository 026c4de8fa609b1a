#pragma once

#include <QString>
#include <array>

#include "common/DateTime.h"

namespace feedwell {

// One collected message. The fields, in this order, are the table's columns; the mail scan
// supplies them in this order on insertion. Texts are stored whole, in any script.
struct MessageRecord {
  qint32 RecId = 0;
  QString SourceName;
  qint32 InIndex = 0;
  DateTime SentON = 0;
  DateTime ReceivedDate = 0;
  QString Subject;
  DateTime UpdateDate = 0;
  QString MsgContent;
  QString FromEmail;
  QString EntryID;

  bool operator==(const MessageRecord&) const = default;
};

// The field names in field order: column names of the table file and captions of the grid.
inline constexpr std::array<const char*, 10> kMessageFieldNames = {
    "RecId",   "SourceName", "InIndex",    "SentON",    "ReceivedDate",
    "Subject", "UpdateDate", "MsgContent", "FromEmail", "EntryID"};

}  // namespace feedwell
