#include "mailstore/Charset.h"

#include <iconv.h>

#include <QStringDecoder>
#include <cerrno>
#include <memory>

namespace feedwell::mailstore {
namespace {

struct IconvCloser {
  void operator()(iconv_t* handle) const {
    iconv_close(*handle);
    delete handle;
  }
};
using IconvHandle = std::unique_ptr<iconv_t, IconvCloser>;

IconvHandle OpenToUtf8(const QByteArray& charset) {
  iconv_t handle = iconv_open("UTF-8", charset.constData());
  if (handle == reinterpret_cast<iconv_t>(-1)) return nullptr;
  return IconvHandle(new iconv_t(handle));
}

// Converts with iconv, turning each byte it rejects into U+FFFD and going on.
QString Convert(iconv_t handle, const QByteArray& bytes) {
  QByteArray out;
  out.reserve(bytes.size() * 2 + 16);
  char buffer[4096];
  char* in = const_cast<char*>(bytes.constData());
  size_t inLeft = static_cast<size_t>(bytes.size());
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    const size_t result = iconv(handle, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<qsizetype>(outPtr - buffer));
    if (result == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      out.append("\xEF\xBF\xBD");  // EILSEQ or a cut sequence at the end: skip one byte
      ++in;
      --inLeft;
      iconv(handle, nullptr, nullptr, nullptr, nullptr);
    }
  }
  // Converters such as windows-1255 hold back the last character in case a combining mark
  // follows; the final call without input lets it out.
  char* outPtr = buffer;
  size_t outLeft = sizeof buffer;
  iconv(handle, nullptr, nullptr, &outPtr, &outLeft);
  out.append(buffer, static_cast<qsizetype>(outPtr - buffer));
  return QString::fromUtf8(out);
}

bool IsValidUtf8(const QByteArray& bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8);
  const QString text = decoder(bytes);
  return !decoder.hasError();
}

}  // namespace

QString DecodeCharset(const QByteArray& bytes, const QByteArray& charset) {
  const QByteArray name = charset.trimmed().toLower();
  if (!name.isEmpty() && name != "utf-8" && name != "utf8") {
    if (IconvHandle handle = OpenToUtf8(name)) return Convert(*handle, bytes);
  }
  if (IsValidUtf8(bytes)) return QString::fromUtf8(bytes);
  if (IconvHandle handle = OpenToUtf8("WINDOWS-1252")) return Convert(*handle, bytes);
  return QString::fromLatin1(bytes);
}

}  // namespace feedwell::mailstore
