#include "mailstore/ModifiedUtf7.h"

namespace feedwell::mailstore {
namespace {

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == ',') return 63;
  return -1;
}

// Decodes the base64 run between '&' and '-' into UTF-16 units; false when malformed.
bool DecodeShifted(const QByteArray& run, QString* out) {
  quint32 bits = 0;
  int bitCount = 0;
  QString units;
  for (char c : run) {
    const int value = Base64Value(c);
    if (value < 0) return false;
    bits = (bits << 6) | static_cast<quint32>(value);
    bitCount += 6;
    if (bitCount >= 16) {
      bitCount -= 16;
      units.append(QChar(static_cast<char16_t>((bits >> bitCount) & 0xFFFF)));
    }
  }
  // Leftover bits are padding and must be zero; a run that decodes to nothing is not allowed.
  if (bitCount >= 6 || (bits & ((1u << bitCount) - 1)) != 0 || units.isEmpty()) return false;
  for (qsizetype i = 0; i < units.size(); ++i) {
    const QChar unit = units.at(i);
    if (unit.isHighSurrogate()) {
      if (i + 1 >= units.size() || !units.at(i + 1).isLowSurrogate()) return false;
      ++i;
    } else if (unit.isLowSurrogate()) {
      return false;
    }
  }
  out->append(units);
  return true;
}

}  // namespace

QString DecodeModifiedUtf7(const QByteArray& name) {
  QString result;
  qsizetype i = 0;
  while (i < name.size()) {
    const char c = name.at(i);
    if (c == '&') {
      const qsizetype end = name.indexOf('-', i + 1);
      if (end < 0) return {};
      if (end == i + 1) {
        result.append(u'&');
      } else if (!DecodeShifted(name.mid(i + 1, end - i - 1), &result)) {
        return {};
      }
      i = end + 1;
      continue;
    }
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e) return {};
    result.append(QLatin1Char(c));
    ++i;
  }
  if (result.isNull()) result = QStringLiteral("");
  return result;
}

}  // namespace feedwell::mailstore
