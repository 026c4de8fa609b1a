#include "cli/Cli.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>
#include <cstring>

#include "cli/Command.h"
#include "common/Error.h"

namespace feedwell::cli {
namespace {

struct CommandEntry {
  const char* name;
  CommandFunction function;
  const char* synopsis;
};

const CommandEntry kCommands[] = {
    {"folders", RunFolders, "folders                     print the folder tree with identifiers"},
    {"configure", RunConfigure,
     "configure [--store PATH]... [--scan-folder PATH] [--contacts-folder PATH]\n"
     "            [--limit N] [--subfolders on|off] [--include-unknown on|off]\n"
     "                            write the settings, as OK in the configuration dialog"},
    {"contacts", RunContacts,
     "contacts [--verbose]         make the sender thumbnails from the contacts folder"},
    {"scan", RunScan, "scan [--verbose]             scan the mail folder, then write the page"},
    {"generate", RunGenerate, "generate                    write Data/index.html from the message table"},
    {"init", RunInit, "init DIR                    create a home folder with the example templates"},
};

const char kUsageHead[] =
    "Usage: feedwell [--home DIR] [COMMAND [ARGS]]\n"
    "Without a command, opens the main window.\n\n"
    "Commands:\n";

QString Usage() {
  QString text = QString::fromLatin1(kUsageHead);
  for (const CommandEntry& entry : kCommands)
    text += QStringLiteral("  ") + QString::fromLatin1(entry.synopsis) + u'\n';
  text += QStringLiteral(
      "\nOptions:\n"
      "  --home DIR   the home folder (else $FEEDWELL_HOME, the executable's folder when it\n"
      "               holds Templates/, or ~/.local/share/feedwell)\n"
      "  --help       show this text\n"
      "  --version    show the version\n");
  return text;
}

const CommandEntry* FindCommand(const QString& name) {
  for (const CommandEntry& entry : kCommands) {
    if (name == QLatin1String(entry.name)) return &entry;
  }
  return nullptr;
}

}  // namespace

const char* HomeArgument(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--home") == 0) return argv[i + 1];
  }
  return nullptr;
}

bool WantsCommandLine(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--home") == 0) {
      ++i;
      continue;
    }
    return true;
  }
  return false;
}

int Run(int argc, char** argv) {
  // Commands never need a display: without one, Qt's offscreen platform serves QImage and fonts.
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  // Without a session (a cron job, ssh, CI) Qt would warn on every run that it picks a runtime
  // folder itself; pick the same one quietly.
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    const QByteArray runtime =
        QFile::encodeName(QDir::tempPath()) + "/runtime-" + QByteArray::number(getuid());
    if (QDir().mkpath(QFile::decodeName(runtime))) {
      QFile::setPermissions(QFile::decodeName(runtime),
                            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
      qputenv("XDG_RUNTIME_DIR", runtime);
    }
  }
  QGuiApplication app(argc, argv);
  QTextStream out(stdout);
  QTextStream err(stderr);

  QStringList args = QCoreApplication::arguments().mid(1);
  QString homeDir;
  bool verbose = false;
  QStringList rest;
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--home") && i + 1 < args.size()) {
      homeDir = args[++i];
    } else if (args[i] == QLatin1String("--verbose")) {
      verbose = true;
    } else {
      rest << args[i];
    }
  }
  if (rest.isEmpty() || rest.first() == QLatin1String("--help") || rest.first() == QLatin1String("help")) {
    out << Usage();
    return rest.isEmpty() ? 2 : 0;
  }
  if (rest.first() == QLatin1String("--version")) {
    out << "feedwell " << FEEDWELL_VERSION << "\n";
    return 0;
  }
  const CommandEntry* command = FindCommand(rest.first());
  if (!command) {
    err << "feedwell: unknown command '" << rest.first() << "'\n\n" << Usage();
    return 2;
  }
  CommandContext context{Home::Resolve(homeDir), verbose, out, err};
  try {
    const int code = command->function(context, rest.mid(1));
    out.flush();
    return code;
  } catch (const UsageError& e) {
    out.flush();
    err << "feedwell " << command->name << ": " << e.what() << "\n";
    return 2;
  } catch (const Error& e) {
    out.flush();
    err << "feedwell " << command->name << ": " << e.message() << "\n";
    return 1;
  } catch (const std::exception& e) {
    out.flush();
    err << "feedwell " << command->name << ": " << e.what() << "\n";
    return 1;
  }
}

}  // namespace feedwell::cli
