#pragma once

#include <QByteArray>
#include <QString>

namespace feedwell::mailstore {

// Decodes an unstructured header value (a Subject) as written in the message: folding undone,
// RFC 2047 encoded words decoded, the blanks between two encoded words dropped. Adjacent encoded
// words in one charset are joined as bytes before the charset is applied, so a character split
// across two words (as many clients write long non-Latin subjects) comes out whole. Other 8-bit
// text is read as UTF-8, else windows-1252. Never fails.
QString DecodeHeaderText(const QByteArray& raw);

}  // namespace feedwell::mailstore
