#include "collection/SenderFilter.h"

#include <QDir>

namespace feedwell {

bool IsFileNameSafeAddress(const QString& address) {
  if (address == u"." || address == u"..") return false;
  for (const QChar c : address) {
    if (c == u'/' || c == u'\\' || c.category() == QChar::Other_Control) return false;
  }
  return true;
}

QString PrintableAddress(const QString& address) {
  QString shown;
  shown.reserve(address.size());
  for (const QChar c : address) {
    if (c.category() == QChar::Other_Control) {
      shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
    } else {
      shown += c;
    }
  }
  return shown;
}

SenderFilter::SenderFilter(const Home& home)
    : contactsDir_(home.ContactsDir()), excludeDir_(home.ExcludeDir()) {}

bool SenderFilter::Accepts(const QString& address) {
  if (!IsFileNameSafeAddress(address)) return false;
  return !IsExcluded(address) && HasThumbnail(address);
}

bool SenderFilter::IsExcluded(const QString& address) {
  if (!excluded_) excluded_ = ListBitmaps(excludeDir_);
  return excluded_->contains(Key(address));
}

bool SenderFilter::HasThumbnail(const QString& address) {
  if (!thumbnails_) thumbnails_ = ListBitmaps(contactsDir_);
  return thumbnails_->contains(Key(address));
}

QSet<QString> SenderFilter::ListBitmaps(const QString& dir) {
  QSet<QString> names;
  // Hidden files too: the empty address names ".bmp".
  const QStringList files = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
  for (const QString& file : files) {
    if (file.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive)) names.insert(file.toCaseFolded());
  }
  return names;
}

QString SenderFilter::Key(const QString& address) {
  return (address + QStringLiteral(".bmp")).toCaseFolded();
}

}  // namespace feedwell
