#pragma once

#include <QString>

namespace feedwell {

// Feedwell's home folder: the templates, the Data folder, the settings file and the table file.
// The program never creates Data/ or Data/contacts/ itself (`feedwell init` is the explicit step).
class Home {
 public:
  // `dir` as given, else $FEEDWELL_HOME, else the executable's folder when it holds Templates/,
  // else $XDG_DATA_HOME/feedwell (~/.local/share/feedwell).
  static Home Resolve(const QString& dir = {});

  // The executable's file name without extension ("feedwell"), which names the settings and table
  // files, so that a copy under another name keeps its own files.
  static QString ProgramName();
  static QString ExecutableDir();

  explicit Home(QString dir, QString programName = ProgramName());

  const QString& dir() const { return dir_; }
  QString Path(const QString& relative) const;  // dir + "/" + relative
  QString GetSettingsFileName() const;          // <home>/<name>.ini
  QString GetDataFileName() const;              // <home>/<name>.data
  QString TemplatesDir() const { return Path(QStringLiteral("Templates")); }
  QString DataDir() const { return Path(QStringLiteral("Data")); }
  QString ContactsDir() const { return Path(QStringLiteral("Data/contacts")); }
  QString ExcludeDir() const { return Path(QStringLiteral("Data/Exclude")); }
  QString PagePath() const { return Path(QStringLiteral("Data/index.html")); }

 private:
  QString dir_;
  QString programName_;
};

// The folder holding the example templates: installed beside the executable
// (../share/feedwell/templates), in the install prefix, or in the source tree.
QString FindExampleTemplates();

}  // namespace feedwell
