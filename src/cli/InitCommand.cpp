#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "cli/Command.h"
#include "common/Error.h"
#include "common/Home.h"

namespace feedwell::cli {

// Creates a home: Templates/ with the example templates, Data/, Data/contacts/ and Data/Exclude/.
// Existing folders are kept; an existing template is never overwritten.
int RunInit(CommandContext& context, const QStringList& args) {
  if (args.size() != 1) throw UsageError(QStringLiteral("usage: feedwell init DIR"));
  const Home home(QDir(args.first()).absolutePath());
  const QString source = FindExampleTemplates();
  if (source.isEmpty())
    throw Error(QStringLiteral("The example templates were not found; is Feedwell installed?"));

  const QStringList templates = QDir(source).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
  for (const QString& name : templates) {
    const QString target = home.TemplatesDir() + u'/' + name;
    if (QFileInfo::exists(target)) {
      throw Error(QStringLiteral("\"%1\" already exists; init never overwrites a file.").arg(target));
    }
  }
  for (const QString& dir : {home.TemplatesDir(), home.DataDir(), home.ContactsDir(), home.ExcludeDir()}) {
    if (!QDir().mkpath(dir)) throw Error(QStringLiteral("Cannot create the folder \"%1\".").arg(dir));
  }
  for (const QString& name : templates) {
    const QString target = home.TemplatesDir() + u'/' + name;
    if (!QFile::copy(source + u'/' + name, target)) {
      throw Error(QStringLiteral("Cannot copy \"%1\" to \"%2\".").arg(name, target));
    }
    QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
  }
  context.out << "Created the Feedwell home " << home.dir() << "\n";
  for (const QString& name : templates) context.out << "  Templates/" << name << "\n";
  context.out << "  Data/  Data/contacts/  Data/Exclude/\n";
  return 0;
}

}  // namespace feedwell::cli
