#pragma once

#include <QByteArray>
#include <QString>

namespace feedwell::mailstore {

// Decodes an IMAP mailbox name in modified UTF-7 (RFC 3501 §5.1.3), as Dovecot and Courier
// write folder names on disk: "&BdQF0QXo-" is Hebrew, "&-" is "&". Returns a null QString when
// `name` is not valid modified UTF-7, so callers can fall back to the raw name.
QString DecodeModifiedUtf7(const QByteArray& name);

}  // namespace feedwell::mailstore
