#include "view/HtmlView.h"

#include "common/Text.h"

namespace feedwell::view {

QByteArray DocumentBytes(const QString& html) {
  const QString text = JoinLines(SplitLines(html));
  if (text.isEmpty()) return {};
  return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}

void ShowHtml(HtmlView& view, const QString& html) {
  view.LoadDocument(DocumentBytes(html));
}

}  // namespace feedwell::view
