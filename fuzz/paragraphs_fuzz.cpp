// libFuzzer target: the paragraph builder on any text. Every result ends with "</p>", and the text
// of the input's non-blank characters (TABs and line ends aside) survives in it.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "page/Paragraphs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const QString result = feedwell::BuildParagraphs(text);
  if (!result.endsWith(QStringLiteral("</p>"))) std::abort();
  (void)feedwell::DetectDirection(text);
  qsizetype letters = 0;
  for (const QChar c : text) {
    if (c.unicode() == 0) break;
    if (c.unicode() > 0x20) ++letters;
  }
  qsizetype kept = 0;
  for (const QChar c : result) kept += c.unicode() > 0x20 ? 1 : 0;
  if (kept < letters) std::abort();
  return 0;
}
