#pragma once

#include <QByteArray>
#include <QString>

namespace feedwell::mailstore {

// Decodes bytes in the named charset. An empty or unknown charset means UTF-8 when the bytes are
// valid UTF-8, else windows-1252 (the usual encoding of stray 8-bit text); bytes invalid in the
// charset become U+FFFD. Never fails.
QString DecodeCharset(const QByteArray& bytes, const QByteArray& charset);

}  // namespace feedwell::mailstore
