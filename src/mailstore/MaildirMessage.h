#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

#include "common/Error.h"

namespace feedwell::mailstore {

// What the store reads from one message file.
struct MessageContent {
  std::optional<QDateTime> date;  // the Date header; none when missing or invalid
  QString subject;                // decoded (RFC 2047, any charset)
  QString sender;                 // the first From address as written; empty when there is none
  QString htmlBody;               // the HTML part, else the plain text escaped into HTML
};

// The file was not there (a Maildir message renamed or removed meanwhile).
class MessageFileMissing : public Error {
 public:
  using Error::Error;
};

// Parses a message file with GMime. Raises Error with the reason ("the file is empty", "it is
// not a mail message", …), MessageFileMissing when the file does not exist. Attachments are
// never read; a text part above 32 MB is refused.
MessageContent ReadMessageFile(const QString& path);

// Plain text as HTML: escaped, every line break kept as <br>.
QString PlainTextToHtml(const QString& text);

}  // namespace feedwell::mailstore
