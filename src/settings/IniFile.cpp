#include "settings/IniFile.h"

// Debian's SimpleIni keeps its template bodies behind SI_IMPLEMENTATION; the text is made valid
// UTF-8 before SimpleIni sees it, so it needs no converter.
#define SI_IMPLEMENTATION
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>
#include <string>

#include "common/Error.h"
#include "common/Text.h"
#include "common/TextFile.h"

namespace feedwell {
namespace {

constexpr qsizetype kMaxValueLength = 2047;

// Section and key names match without regard to letter case; a key given twice is kept twice so
// that the first one can win when reading.
using Ini = CSimpleIniA;  // SimpleIni's "A" class is the case-insensitive one

// Turns the file's bytes into clean UTF-8 with LF line ends for SimpleIni: the mark is dropped
// (UTF-16 files are understood by theirs), invalid sequences become U+FFFD, NULs are removed so
// that garbage in the middle of a file cannot hide the keys after it, and CR LF or a lone CR
// becomes LF, which SimpleIni handles best.
std::string NormalizedIniText(const QByteArray& bytes) {
  QString text = DecodeByMark(bytes);
  text.remove(QChar(u'\0'));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(u'\r', u'\n');
  return text.toStdString();
}

std::string ToUtf8(const QString& text) {
  return text.toStdString();
}

// A value is one line of the file: a line break inside it would start a new entry.
std::string ValueLine(const QString& value) {
  QString line = value;
  line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  line.replace(u'\r', u' ');
  line.replace(u'\n', u' ');
  line.remove(QChar(u'\0'));
  return line.toStdString();
}

QString FullPath(const QString& path) {
  return QFileInfo(path).absoluteFilePath();
}

// The file's parsed content; an absent or unreadable file reads as empty. A writer must tell a
// missing file (nothing to keep) from one that exists but cannot be read.
struct LoadedIni {
  Ini ini{/*isUtf8=*/true, /*multiKey=*/true, /*multiLine=*/false};
  bool existsButUnreadable = false;
};

void Load(const QString& path, LoadedIni& loaded) {
  loaded.ini.SetSpaces(false);  // "key=value", as INI files are usually written
  QFile file(path);
  if (!file.exists()) return;
  if (!file.open(QIODevice::ReadOnly)) {
    loaded.existsButUnreadable = true;
    return;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    loaded.existsButUnreadable = true;
    return;
  }
  const std::string text = NormalizedIniText(bytes);
  loaded.ini.LoadData(text.data(), text.size());
}

// The first value of the key in file order, when the key is present.
std::optional<QString> FindValue(const Ini& ini, const QString& section, const QString& key) {
  Ini::TNamesDepend values;
  const std::string s = ToUtf8(section);
  const std::string k = ToUtf8(key);
  if (!ini.GetAllValues(s.c_str(), k.c_str(), values) || values.empty()) return std::nullopt;
  values.sort(Ini::Entry::LoadOrder());
  QString value = QString::fromUtf8(values.front().pItem);
  if (value.size() > kMaxValueLength) {
    qsizetype cut = kMaxValueLength;
    // Never split a surrogate pair.
    if (value.at(cut - 1).isHighSurrogate()) --cut;
    value.truncate(cut);
  }
  return value;
}

// A key that is already there keeps its spelling when its value is replaced.
std::string StoredKeyName(const Ini& ini, const std::string& section, const QString& key) {
  Ini::TNamesDepend keys;
  if (ini.GetAllKeys(section.c_str(), keys)) {
    for (const Ini::Entry& entry : keys) {
      const QString name = QString::fromUtf8(entry.pItem);
      if (name.compare(key, Qt::CaseInsensitive) == 0) return name.toStdString();
    }
  }
  return ToUtf8(key);
}

}  // namespace

IniFile::IniFile(QString path) : path_(std::move(path)) {}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& fallback) const {
  LoadedIni loaded;
  Load(path_, loaded);
  return FindValue(loaded.ini, section, key).value_or(fallback);
}

qint64 IniFile::ReadInteger(const QString& section, const QString& key, qint64 fallback) const {
  const QString text = ReadString(section, key, QString());
  qint64 value = 0;
  return ParseInteger(text, &value) ? value : fallback;
}

bool IniFile::ReadBool(const QString& section, const QString& key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

DateTime IniFile::ReadDateTime(const QString& section, const QString& key, DateTime fallback) const {
  return TextToDateTime(ReadString(section, key, QString()), fallback);
}

QStringList IniFile::ReadSectionKeys(const QString& section) const {
  LoadedIni loaded;
  Load(path_, loaded);
  Ini::TNamesDepend keys;
  const std::string s = ToUtf8(section);
  if (!loaded.ini.GetAllKeys(s.c_str(), keys)) return {};
  keys.sort(Ini::Entry::LoadOrder());
  QStringList names;
  for (const Ini::Entry& entry : keys) {
    const QString name = QString::fromUtf8(entry.pItem);
    if (!names.contains(name, Qt::CaseInsensitive)) names.append(name);
  }
  return names;
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
  const QString unable = QStringLiteral("Unable to write to %1").arg(FullPath(path_));
  LoadedIni loaded;
  Load(path_, loaded);
  // Rewriting a file we could not read would drop everything in it.
  if (loaded.existsButUnreadable) throw Error(unable);

  const std::string s = ToUtf8(section);
  const std::string k = StoredKeyName(loaded.ini, s, key);
  const std::string v = ValueLine(value);
  // Replaces every copy of a key given twice by one entry where the first stood.
  if (loaded.ini.SetValue(s.c_str(), k.c_str(), v.c_str(), nullptr, /*forceReplace=*/true) < 0) {
    throw Error(unable);
  }
  std::string out;
  if (loaded.ini.Save(out, /*addSignature=*/true) < 0) throw Error(unable);
  try {
    WriteFileAtomically(path_, QByteArray::fromStdString(out));
  } catch (const Error&) {
    throw Error(unable);
  }
}

void IniFile::WriteInteger(const QString& section, const QString& key, qint64 value) {
  WriteString(section, key, QString::number(value));
}

void IniFile::WriteBool(const QString& section, const QString& key, bool value) {
  WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::WriteDateTime(const QString& section, const QString& key, DateTime value) {
  WriteString(section, key, DateTimeToText(value));
}

}  // namespace feedwell
