// libFuzzer target: any bytes, read as UTF-8 (and as UTF-16 when even in length), must convert
// without a crash, and the result must hold no markup character and no blank at either end.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "page/HtmlToText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString utf8 = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const QString utf16 =
      QString::fromUtf16(reinterpret_cast<const char16_t*>(data), static_cast<qsizetype>(size / 2));
  for (const QString& html : {utf8, utf16}) {
    const QString text = feedwell::HtmlToText(html);
    if (text.contains(u'<') || text.contains(u'>')) std::abort();
    if (!text.isEmpty() && (text.front().unicode() <= 0x20 || text.back().unicode() <= 0x20)) std::abort();
  }
  return 0;
}
