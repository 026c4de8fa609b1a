#include "page/Placeholders.h"

namespace feedwell {

QString FillPlaceholders(const QString& text, const std::vector<Placeholder>& placeholders) {
  QString out;
  out.reserve(text.size());
  const QStringView view(text);
  qsizetype copied = 0;
  qsizetype at = text.indexOf(u'%');
  while (at >= 0) {
    const Placeholder* found = nullptr;
    for (const Placeholder& placeholder : placeholders) {
      if (!placeholder.first.isEmpty() && view.mid(at).startsWith(placeholder.first, Qt::CaseInsensitive)) {
        found = &placeholder;
        break;
      }
    }
    if (!found) {
      at = text.indexOf(u'%', at + 1);
      continue;
    }
    out += view.mid(copied, at - copied);
    out += found->second;
    copied = at + found->first.size();
    at = text.indexOf(u'%', copied);
  }
  out += view.mid(copied);
  return out;
}

}  // namespace feedwell
