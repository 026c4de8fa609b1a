#pragma once

#include <QString>
#include <QStringList>

#include "common/DateTime.h"

namespace feedwell {

// An INI profile file. Section and key names match without regard to letter case. Every read and
// every write goes to the file itself: nothing is cached between two calls. A missing file or key
// gives the caller's default; a value read back is at most 2047 characters. A write replaces the
// value in place or appends the key (and the section); the first write creates the file. Each write
// replaces the file atomically (temporary file, then rename) and raises Error
// "Unable to write to <path>" when the system refuses it.
class IniFile {
 public:
  explicit IniFile(QString path);

  const QString& path() const { return path_; }

  QString ReadString(const QString& section, const QString& key, const QString& fallback) const;
  // Decimal, or hexadecimal "0x…" when longer than two characters; anything else gives fallback.
  qint64 ReadInteger(const QString& section, const QString& key, qint64 fallback) const;
  // An integer; any value other than 0 is true; a non-integer gives fallback.
  bool ReadBool(const QString& section, const QString& key, bool fallback) const;
  // The date-time text form; empty or unparsable gives fallback.
  DateTime ReadDateTime(const QString& section, const QString& key, DateTime fallback) const;
  // The key names of a section in file order (empty when absent).
  QStringList ReadSectionKeys(const QString& section) const;

  void WriteString(const QString& section, const QString& key, const QString& value);
  void WriteInteger(const QString& section, const QString& key, qint64 value);
  void WriteBool(const QString& section, const QString& key, bool value);  // "1" / "0"
  void WriteDateTime(const QString& section, const QString& key, DateTime value);

 private:
  QString path_;
};

}  // namespace feedwell
