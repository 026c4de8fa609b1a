// A tolerant reader for the vCard versions found in real address books. No Debian library fits:
// belcard parses strict vCard 4.0 only, libvformat and libvc are unmaintained 2.1-era C code, and
// KContacts / evolution-data-server pull in a KDE Frameworks 5 (Qt 5) or GNOME stack.
#include <QByteArrayList>
#include <optional>

#include "mailstore/Charset.h"
#include "mailstore/VCard.h"

namespace feedwell::mailstore {
namespace {

struct Property {
  QByteArray name;      // upper case, group dropped
  QByteArray encoding;  // upper case: "BASE64", "B", "QUOTED-PRINTABLE" or empty
  QByteArray charset;
  QByteArray value;  // raw, still encoded
};

bool StartsWithBlank(const QByteArray& line) {
  return !line.isEmpty() && (line.at(0) == ' ' || line.at(0) == '\t');
}

// The part before the first ':' outside double quotes, where name and parameters live.
qsizetype ValueStart(const QByteArray& line) {
  bool quoted = false;
  for (qsizetype i = 0; i < line.size(); ++i) {
    if (line.at(i) == '"') quoted = !quoted;
    if (line.at(i) == ':' && !quoted) return i;
  }
  return -1;
}

bool HeadMentions(const QByteArray& line, const char* word) {
  const qsizetype colon = ValueStart(line);
  return colon > 0 && line.left(colon).toUpper().contains(word);
}

bool IsQuotedPrintable(const QByteArray& line) {
  return HeadMentions(line, "QUOTED-PRINTABLE");
}
bool IsBase64(const QByteArray& line) {
  return HeadMentions(line, "BASE64") || HeadMentions(line, "ENCODING=B");
}

bool LooksLikeBase64(const QByteArray& line) {
  for (char c : line) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
                    c == '/' || c == '=' || c == ' ' || c == '\t';
    if (!ok) return false;
  }
  return true;
}

// Joins folded lines: a line starting with a blank continues the previous one; a quoted-printable
// value ending in '=' continues on the next line; vCard 2.1 writers may also leave base64 lines
// unindented until a blank line.
QByteArrayList LogicalLines(const QByteArray& bytes) {
  QByteArrayList physical;
  qsizetype start = 0;
  for (qsizetype i = 0; i <= bytes.size(); ++i) {
    if (i == bytes.size() || bytes.at(i) == '\n' || bytes.at(i) == '\r') {
      physical.append(bytes.mid(start, i - start));
      if (i + 1 < bytes.size() && bytes.at(i) == '\r' && bytes.at(i + 1) == '\n') ++i;
      start = i + 1;
    }
  }
  QByteArrayList logical;
  bool inBase64 = false;
  for (const QByteArray& line : physical) {
    if (!logical.isEmpty()) {
      QByteArray& last = logical.last();
      if (last.endsWith('=') && IsQuotedPrintable(last)) {
        last.chop(1);
        last.append(line);
        continue;
      }
      if (StartsWithBlank(line)) {
        last.append(line.mid(1));
        continue;
      }
      if (inBase64 && !line.isEmpty() && ValueStart(line) < 0 && LooksLikeBase64(line)) {
        last.append(line);
        continue;
      }
    }
    if (line.trimmed().isEmpty()) {
      inBase64 = false;
      continue;
    }
    logical.append(line);
    inBase64 = IsBase64(line);
  }
  return logical;
}

QByteArrayList SplitOutsideQuotes(const QByteArray& text, char separator) {
  QByteArrayList parts;
  QByteArray current;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (c == separator && !quoted) {
      parts.append(current);
      current.clear();
    } else {
      current.append(c);
    }
  }
  parts.append(current);
  return parts;
}

bool ParseProperty(const QByteArray& line, Property* property) {
  const qsizetype colon = ValueStart(line);
  if (colon <= 0) return false;
  const QByteArrayList head = SplitOutsideQuotes(line.left(colon), ';');
  QByteArray name = head.first().trimmed().toUpper();
  const qsizetype dot = name.lastIndexOf('.');
  if (dot >= 0) name = name.mid(dot + 1);
  property->name = name;
  property->value = line.mid(colon + 1);
  for (qsizetype i = 1; i < head.size(); ++i) {
    const QByteArray param = head.at(i).trimmed();
    const qsizetype equals = param.indexOf('=');
    const QByteArray key = (equals < 0 ? QByteArray() : param.left(equals).trimmed().toUpper());
    QByteArray value = (equals < 0 ? param : param.mid(equals + 1)).trimmed();
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
      value = value.mid(1, value.size() - 2);
    const QByteArray upper = value.toUpper();
    if (key == "ENCODING" ||
        (key.isEmpty() && (upper == "BASE64" || upper == "QUOTED-PRINTABLE" || upper == "B")))
      property->encoding = upper;
    else if (key == "CHARSET")
      property->charset = value;
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

QByteArray DecodeQuotedPrintable(const QByteArray& value) {
  QByteArray out;
  out.reserve(value.size());
  for (qsizetype i = 0; i < value.size(); ++i) {
    if (value.at(i) == '=' && i + 2 < value.size() && HexValue(value.at(i + 1)) >= 0 &&
        HexValue(value.at(i + 2)) >= 0) {
      out.append(static_cast<char>(HexValue(value.at(i + 1)) * 16 + HexValue(value.at(i + 2))));
      i += 2;
    } else {
      out.append(value.at(i));
    }
  }
  return out;
}

QByteArray DecodeBase64(const QByteArray& value) {
  QByteArray compact;
  compact.reserve(value.size());
  for (char c : value) {
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') compact.append(c);
  }
  auto result = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
  if (!result) return {};
  return *result;
}

QByteArray PercentDecode(const QByteArray& value) {
  return QByteArray::fromPercentEncoding(value);
}

QByteArray RawValue(const Property& property) {
  if (property.encoding == "QUOTED-PRINTABLE") return DecodeQuotedPrintable(property.value);
  if (property.encoding == "BASE64" || property.encoding == "B") return DecodeBase64(property.value);
  return property.value;
}

// Text values of 3.0 and 4.0 escape ',', ';', '\' and newlines with a backslash.
QString Unescape(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text.at(i) == u'\\' && i + 1 < text.size()) {
      const QChar next = text.at(++i);
      out.append(next == u'n' || next == u'N' ? QChar(u'\n') : next);
    } else {
      out.append(text.at(i));
    }
  }
  return out;
}

QString TextValue(const Property& property) {
  return DecodeCharset(RawValue(property), property.charset);
}

// N is "Family;Given;Additional;Prefix;Suffix".
QString NameFromStructured(const QString& value) {
  QStringList parts;
  QString current;
  for (qsizetype i = 0; i < value.size(); ++i) {
    if (value.at(i) == u'\\' && i + 1 < value.size()) {
      current.append(value.at(i));
      current.append(value.at(++i));
    } else if (value.at(i) == u';') {
      parts.append(Unescape(current).trimmed());
      current.clear();
    } else {
      current.append(value.at(i));
    }
  }
  parts.append(Unescape(current).trimmed());
  QStringList ordered;
  for (int index : {3, 1, 2, 0, 4}) {
    if (index < parts.size() && !parts.at(index).isEmpty()) ordered.append(parts.at(index));
  }
  return ordered.join(u' ');
}

QByteArray PhotoBytes(const Property& property) {
  const QByteArray trimmed = property.value.trimmed();
  if (trimmed.left(5).toLower() == "data:") {
    const qsizetype comma = trimmed.indexOf(',');
    if (comma < 0) return {};
    const QByteArray meta = trimmed.mid(5, comma - 5).toLower();
    const QByteArray data = trimmed.mid(comma + 1);
    return meta.endsWith(";base64") ? DecodeBase64(PercentDecode(data)) : PercentDecode(data);
  }
  if (property.encoding == "BASE64" || property.encoding == "B") return DecodeBase64(property.value);
  return {};  // a URL: nothing is fetched
}

struct CardBuilder {
  VCard card;
  QString formattedName;
  QString structuredName;
  QString organisation;

  void Add(const Property& property) {
    if (property.name == "FN") {
      if (formattedName.isEmpty()) formattedName = Unescape(TextValue(property)).trimmed();
    } else if (property.name == "N") {
      if (structuredName.isEmpty()) structuredName = NameFromStructured(TextValue(property));
    } else if (property.name == "ORG") {
      if (organisation.isEmpty()) organisation = Unescape(TextValue(property).section(u';', 0, 0)).trimmed();
    } else if (property.name == "EMAIL") {
      QString address = Unescape(TextValue(property)).trimmed();
      if (address.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive)) address = address.mid(7);
      if (!address.isEmpty()) card.emails.append(address);
    } else if (property.name == "PHOTO") {
      if (card.photo.isEmpty()) card.photo = PhotoBytes(property);
    }
  }

  VCard Finish() {
    card.name = !formattedName.isEmpty()    ? formattedName
                : !structuredName.isEmpty() ? structuredName
                                            : organisation;
    return card;
  }
};

}  // namespace

std::vector<VCard> ReadVCards(const QByteArray& bytes) {
  std::vector<VCard> cards;
  std::optional<CardBuilder> open;
  for (const QByteArray& line : LogicalLines(bytes)) {
    Property property;
    if (!ParseProperty(line, &property)) continue;
    const QByteArray value = property.value.trimmed().toUpper();
    if (property.name == "BEGIN" && value == "VCARD") {
      if (open) cards.push_back(open->Finish());
      open.emplace();
    } else if (property.name == "END" && value == "VCARD") {
      if (open) cards.push_back(open->Finish());
      open.reset();
    } else if (open) {
      open->Add(property);
    }
  }
  if (open) cards.push_back(open->Finish());
  return cards;
}

}  // namespace feedwell::mailstore
