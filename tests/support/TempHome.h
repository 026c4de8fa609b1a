#pragma once

#include <QString>
#include <QTemporaryDir>

#include "common/Home.h"

namespace feedwell::test {

// A throw-away home folder: Templates/ (the example templates), Data/, Data/contacts/ and
// Data/Exclude/, removed with the object. Its settings and table files are named "feedwell".
class TempHome {
 public:
  explicit TempHome(bool withFolders = true);
  const Home& home() const { return home_; }
  QString Path(const QString& relative) const { return home_.Path(relative); }
  // Writes a file below the home (parents created), raw bytes as given.
  void WriteFile(const QString& relative, const QByteArray& bytes) const;

 private:
  QTemporaryDir dir_;
  Home home_;
};

}  // namespace feedwell::test
