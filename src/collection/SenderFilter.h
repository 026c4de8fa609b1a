#pragma once

#include <QSet>
#include <QString>
#include <optional>

#include "common/Home.h"

namespace feedwell {

// True when `address` can stand inside a file name of Data/contacts/ or Data/Exclude/ without
// naming anything else: no '/', '\', NUL or other control character, and not "." or "..".
bool IsFileNameSafeAddress(const QString& address);

// The address as a log line can show it: control characters written as \xNN.
QString PrintableAddress(const QString& address);

// The mail scan's sender filter: a sender is accepted when a thumbnail Data/contacts/<address>.bmp
// exists and no exclusion marker Data/Exclude/<address>.bmp does. Names match without regard to
// letter case, as on the file system the thumbnails were first made for. Each folder is listed once,
// at the first question that needs it, so a scan costs two directory listings however many messages
// it reads; a missing folder counts as empty.
class SenderFilter {
 public:
  explicit SenderFilter(const Home& home);

  bool Accepts(const QString& address);
  bool IsExcluded(const QString& address);
  bool HasThumbnail(const QString& address);

 private:
  static QSet<QString> ListBitmaps(const QString& dir);
  static QString Key(const QString& address);

  QString contactsDir_;
  QString excludeDir_;
  std::optional<QSet<QString>> thumbnails_;
  std::optional<QSet<QString>> excluded_;
};

}  // namespace feedwell
