#pragma once

#include <QByteArray>
#include <QString>

namespace feedwell {

// Decodes bytes by their byte-order mark (EF BB BF UTF-8, FF FE UTF-16 LE, FE FF UTF-16 BE; no
// mark: UTF-8), dropping the mark; invalid sequences become U+FFFD. Nothing else is changed.
QString DecodeByMark(const QByteArray& bytes);

// Decodes file bytes by their byte-order mark: EF BB BF UTF-8, FF FE UTF-16 LE, FE FF UTF-16 BE;
// no mark: UTF-8 (the system code page), invalid sequences becoming U+FFFD. The mark is dropped,
// the text ends at its first NUL and every line end becomes CR LF.
QString DecodeText(const QByteArray& bytes);

// Reads a whole text file with DecodeText. Raises Error naming the file when it cannot be read.
QString ReadTextFile(const QString& path);

// UTF-8 with its byte-order mark, as every text file of the program is written.
QByteArray EncodeUtf8WithMark(const QString& text);

// Writes bytes atomically: a temporary file beside `path` is renamed over it, so a failure never
// leaves half a file. Raises Error naming the file when it cannot be written.
void WriteFileAtomically(const QString& path, const QByteArray& bytes);

// WriteFileAtomically(path, EncodeUtf8WithMark(text)).
void WriteTextFile(const QString& path, const QString& text);

}  // namespace feedwell
