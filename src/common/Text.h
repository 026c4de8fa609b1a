#pragma once

#include <QString>
#include <QStringList>

namespace feedwell {

// Removes every character at or below U+0020 from both ends; other white space (U+00A0) stays.
QString Trim(const QString& text);

// Splits into lines: CR LF, a lone CR and a lone LF each end a line. An empty text has no lines,
// a break at the very end opens no further line, and a NUL ends the text.
QStringList SplitLines(const QString& text);

// Joins lines, each followed by CR LF (the last one too).
QString JoinLines(const QStringList& lines);

// Turns every line end into CR LF without adding or removing lines.
QString NormalizeLineEnds(const QString& text);

// Escapes &, <, > and " so that the text shows as text in HTML.
QString HtmlEscape(const QString& text);

// Replaces every occurrence of `name`, ignoring letter case, scanning left to right and resuming
// after each inserted value, so that a value is never searched again.
QString ReplaceIgnoringCase(const QString& text, const QString& name, const QString& value);

// Parses a whole decimal integer (optionally signed), or hexadecimal written "0x…" when the text is
// longer than two characters; returns false for anything else or on overflow.
bool ParseInteger(const QString& text, qint64* value);

}  // namespace feedwell
