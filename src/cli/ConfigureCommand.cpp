#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <limits>
#include <optional>

#include "cli/Command.h"
#include "collection/FolderTree.h"
#include "collection/StoreProfile.h"
#include "common/Error.h"
#include "mailstore/LocalStore.h"
#include "mailstore/MaildirLayout.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

namespace feedwell::cli {
namespace {

const QString kUsage = QStringLiteral(
    "usage: feedwell configure [--store PATH]... [--scan-folder PATH] [--contacts-folder PATH]\n"
    "                          [--limit N] [--subfolders on|off] [--include-unknown on|off]");

struct Options {
  QStringList stores;
  std::optional<QString> scanFolder;
  std::optional<QString> contactsFolder;
  std::optional<int> limit;
  std::optional<bool> subFolders;
  std::optional<bool> includeUnknown;
};

bool OnOff(const QString& option, const QString& value) {
  if (value == QLatin1String("on")) return true;
  if (value == QLatin1String("off")) return false;
  throw UsageError(QStringLiteral("%1 takes \"on\" or \"off\", not \"%2\"\n%3").arg(option, value, kUsage));
}

int Limit(const QString& value) {
  bool ok = false;
  const qlonglong number = value.toLongLong(&ok);
  // Digits only: the settings file and the scan must never meet anything but a whole number.
  const bool digitsOnly = !value.isEmpty() && std::all_of(value.begin(), value.end(),
                                                          [](QChar c) { return c >= u'0' && c <= u'9'; });
  if (!ok || !digitsOnly || number > std::numeric_limits<int>::max())
    throw UsageError(QStringLiteral("--limit takes a whole number from 0 to %1, not \"%2\"\n%3")
                         .arg(std::numeric_limits<int>::max())
                         .arg(value, kUsage));
  return static_cast<int>(number);
}

Options Parse(const QStringList& args) {
  Options options;
  for (qsizetype i = 0; i < args.size(); ++i) {
    QString option = args[i];
    std::optional<QString> inlineValue;
    if (const qsizetype eq = option.indexOf(u'='); option.startsWith(QLatin1String("--")) && eq > 0) {
      inlineValue = option.mid(eq + 1);
      option.truncate(eq);
    }
    const auto value = [&]() -> QString {
      if (inlineValue) return *inlineValue;
      if (i + 1 >= args.size()) throw UsageError(QStringLiteral("%1 needs a value\n%2").arg(option, kUsage));
      return args[++i];
    };
    if (option == QLatin1String("--store")) {
      options.stores.append(value());
    } else if (option == QLatin1String("--scan-folder")) {
      options.scanFolder = value();
    } else if (option == QLatin1String("--contacts-folder")) {
      options.contactsFolder = value();
    } else if (option == QLatin1String("--limit")) {
      options.limit = Limit(value());
    } else if (option == QLatin1String("--subfolders")) {
      options.subFolders = OnOff(option, value());
    } else if (option == QLatin1String("--include-unknown")) {
      options.includeUnknown = OnOff(option, value());
    } else {
      throw UsageError(QStringLiteral("unknown option \"%1\"\n%2").arg(option, kUsage));
    }
  }
  return options;
}

// A store root as the profile names it: relative to the home when it lies inside it, so that a
// home can be moved with its settings; else absolute.
mailstore::StoreRoot CheckedStoreRoot(const Home& home, const QString& given) {
  const QFileInfo info(given);
  const QString path = QDir::cleanPath(info.absoluteFilePath());
  if (!info.exists()) throw Error(QStringLiteral("The store folder \"%1\" does not exist.").arg(path));
  if (!info.isDir())
    throw Error(QStringLiteral("\"%1\" is not a folder, so it cannot be a mail store.").arg(path));
  if (!info.isReadable() || !info.isExecutable())
    throw Error(QStringLiteral("The store folder \"%1\" cannot be read.").arg(path));

  const QDir dir(path);
  const bool isMaildir = dir.exists(QStringLiteral("cur")) && dir.exists(QStringLiteral("new")) &&
                         dir.exists(QStringLiteral("tmp"));
  const bool hasContacts = !dir.entryList({QStringLiteral("*.vcf")}, QDir::Files).isEmpty();
  if (!isMaildir && !hasContacts && mailstore::ListSubfolders(mailstore::RootFolder(path)).empty()) {
    throw Error(
        QStringLiteral("\"%1\" is not a mail store: it holds no Maildir folder (cur/, new/, tmp/) and no "
                       ".vcf contacts.")
            .arg(path));
  }

  const QString homeDir = QDir(home.dir()).absolutePath();
  const QString canonicalHome = QFileInfo(homeDir).canonicalFilePath();
  const QString canonical = info.canonicalFilePath();
  QString storeId = path;
  if (!canonicalHome.isEmpty() && canonical.startsWith(canonicalHome + u'/'))
    storeId = QDir(canonicalHome).relativeFilePath(canonical);
  return {path, storeId};
}

struct ChosenFolder {
  QString name;
  QString entryId;
  QString storeId;
};

ChosenFolder Resolve(const FolderTree& tree, const QString& wanted, const QString& option, QTextStream& err) {
  const QVector<FolderTree::Path> paths = tree.Paths();
  QVector<FolderTree::Path> matches;
  for (const FolderTree::Path& p : paths) {
    if (p.path == wanted) matches.append(p);
  }
  if (matches.isEmpty()) {
    QString message = QStringLiteral("%1: no folder \"%2\" in the mail store.").arg(option, wanted);
    const QStringList closest = ClosestFolderPaths(paths, wanted, 5);
    if (closest.isEmpty()) {
      message += QStringLiteral(" The store lists no folders at all.");
    } else {
      message += QStringLiteral(" Closest folders:");
      for (const QString& path : closest) message += QStringLiteral("\n  ") + path;
    }
    throw Error(message);
  }
  const FolderTree::Path& chosen = matches.first();
  if (matches.size() > 1) {
    err << option << ": \"" << wanted << "\" names " << matches.size()
        << " folders; taking the one in store \"" << tree.StoreIdOf(chosen.entry) << "\"\n";
  }
  return {chosen.name, tree.EntryIdOf(chosen.entry), tree.StoreIdOf(chosen.entry)};
}

}  // namespace

// Writes the settings as OK in the configuration dialog does: the current settings are read first,
// so that what no option names stays as it is. Folder paths are resolved before anything is
// written, so a wrong path changes nothing.
int RunConfigure(CommandContext& context, const QStringList& args) {
  if (args.contains(QLatin1String("--help"))) {
    context.out << kUsage << "\n";
    return 0;
  }
  const Options options = Parse(args);
  const QString settingsPath = context.home.GetSettingsFileName();

  Configuration config;
  LoadSettings(settingsPath, config, nullptr);

  std::vector<mailstore::StoreRoot> roots;
  for (const QString& store : options.stores) roots.push_back(CheckedStoreRoot(context.home, store));

  if (options.scanFolder || options.contactsFolder) {
    std::unique_ptr<mailstore::Application> store =
        roots.empty() ? OpenProfileStore(context.home) : mailstore::MakeLocalStore(roots);
    FolderTree tree;
    try {
      tree.Build(*store);
    } catch (const Error& e) {
      throw Error(QStringLiteral("The folders of the mail store cannot be read: %1").arg(e.message()));
    }
    if (options.scanFolder) {
      const ChosenFolder folder =
          Resolve(tree, *options.scanFolder, QStringLiteral("--scan-folder"), context.err);
      config.FolderToScanEntryID = folder.entryId;
      config.FolderToScanStoreID = folder.storeId;
      config.FolderName = folder.name;
    }
    if (options.contactsFolder) {
      const ChosenFolder folder =
          Resolve(tree, *options.contactsFolder, QStringLiteral("--contacts-folder"), context.err);
      config.ContactsFolderToScanEntryID = folder.entryId;
      config.ContactsFolderToScanStoreID = folder.storeId;
      config.ContactsFolderName = folder.name;
    }
  }
  if (options.limit) config.MessageLimit = *options.limit;
  if (options.subFolders) config.ScanSubFolders = *options.subFolders;
  if (options.includeUnknown) config.IncludeUnknown = *options.includeUnknown;

  if (!roots.empty()) {
    IniFile ini(settingsPath);
    const QString section = QStringLiteral("PROFILE");
    const QStringList before = ini.ReadSectionKeys(section);
    int index = 1;
    for (const mailstore::StoreRoot& root : roots)
      ini.WriteString(section, QStringLiteral("Store%1").arg(index++), root.storeId);
    // Stores of an earlier, longer list are emptied: the list ends at the first empty entry.
    for (; before.contains(QStringLiteral("Store%1").arg(index), Qt::CaseInsensitive); ++index)
      ini.WriteString(section, QStringLiteral("Store%1").arg(index), QString());
  }
  SaveSettings(settingsPath, config, nullptr);

  QTextStream& out = context.out;
  out << "Settings written to " << settingsPath << "\n";
  for (size_t i = 0; i < roots.size(); ++i)
    out << "  Store" << i + 1 << ":        " << roots[i].storeId << "\n";
  out << "  Scan folder:   " << config.FolderName << "  (" << config.FolderToScanEntryID << " in "
      << config.FolderToScanStoreID << ")\n";
  out << "  Contacts:      " << config.ContactsFolderName << "  (" << config.ContactsFolderToScanEntryID
      << " in " << config.ContactsFolderToScanStoreID << ")\n";
  out << "  Limit:         " << config.MessageLimit << "\n";
  out << "  Subfolders:    " << (config.ScanSubFolders ? "on" : "off") << "\n";
  out << "  Include unknown senders: " << (config.IncludeUnknown ? "on" : "off") << "\n";
  if (options.contactsFolder) out << "Run \"feedwell contacts\" to make the sender thumbnails.\n";
  return 0;
}

}  // namespace feedwell::cli
