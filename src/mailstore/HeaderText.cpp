#include "mailstore/HeaderText.h"

#include <QRegularExpression>

#include "mailstore/Charset.h"

namespace feedwell::mailstore {
namespace {

QByteArray Unfold(const QByteArray& raw) {
  QByteArray out;
  out.reserve(raw.size());
  for (char c : raw) {
    if (c == '\r' || c == '\n') continue;
    out += c;
  }
  return out;
}

QByteArray DecodeQ(const QByteArray& text) {
  QByteArray out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char c = text.at(i);
    if (c == '_') {
      out += ' ';
    } else if (c == '=' && i + 2 < text.size()) {
      bool ok = false;
      const int value = text.mid(i + 1, 2).toInt(&ok, 16);
      if (ok) {
        out += static_cast<char>(value);
        i += 2;
      } else {
        out += c;
      }
    } else {
      out += c;
    }
  }
  return out;
}

bool IsBlank(const QByteArray& text) {
  for (char c : text) {
    if (c != ' ' && c != '\t') return false;
  }
  return true;
}

}  // namespace

QString DecodeHeaderText(const QByteArray& raw) {
  static const QRegularExpression encodedWord(QStringLiteral("=\\?([^?\\s]+)\\?([bBqQ])\\?([^?\\s]*)\\?="));
  const QByteArray text = Unfold(raw).trimmed();
  const QString latin = QString::fromLatin1(text);  // byte offsets stay character offsets

  QString out;
  QByteArray pendingBytes;    // decoded bytes of a run of encoded words in one charset
  QByteArray pendingCharset;  // that run's charset
  auto flush = [&] {
    if (pendingCharset.isNull()) return;
    out += DecodeCharset(pendingBytes, pendingCharset);
    pendingBytes.clear();
    pendingCharset = QByteArray();
  };

  qsizetype from = 0;
  bool previousWasEncoded = false;
  auto it = encodedWord.globalMatch(latin);
  while (it.hasNext()) {
    const QRegularExpressionMatch match = it.next();
    const QByteArray gap = text.mid(from, match.capturedStart() - from);
    if (!(previousWasEncoded && IsBlank(gap))) {
      flush();
      out += DecodeCharset(gap, QByteArray());
    }
    QByteArray charset = match.captured(1).toLatin1();
    charset = charset.left(charset.indexOf('*') < 0 ? charset.size() : charset.indexOf('*')).toLower();
    const QByteArray payload = match.captured(3).toLatin1();
    QByteArray bytes;
    if (match.captured(2).compare(QLatin1String("b"), Qt::CaseInsensitive) == 0) {
      auto decoded = QByteArray::fromBase64Encoding(payload, QByteArray::AbortOnBase64DecodingErrors);
      if (!decoded) {  // not base64 after all: keep the word as written
        flush();
        out += match.captured(0);
        from = match.capturedEnd();
        previousWasEncoded = false;
        continue;
      }
      bytes = *decoded;
    } else {
      bytes = DecodeQ(payload);
    }
    if (charset != pendingCharset) flush();
    pendingCharset = charset;
    pendingBytes += bytes;
    from = match.capturedEnd();
    previousWasEncoded = true;
  }
  flush();
  out += DecodeCharset(text.mid(from), QByteArray());
  return out;
}

}  // namespace feedwell::mailstore
