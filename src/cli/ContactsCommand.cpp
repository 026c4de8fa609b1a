#include <QDir>

#include "cli/Command.h"
#include "cli/TerminalHost.h"
#include "collection/ContactThumbs.h"
#include "collection/Startup.h"
#include "collection/StoreProfile.h"
#include "common/Error.h"
#include "settings/Settings.h"

namespace feedwell::cli {

// The contacts run without a window: the thumbnails of the contacts folder in the settings file.
int RunContacts(CommandContext& context, const QStringList& args) {
  if (!args.isEmpty()) throw UsageError(QStringLiteral("usage: feedwell contacts [--verbose]"));
  Session session(context.home);
  StartSession(session);
  LoadSettings(session.home.GetSettingsFileName(), session.config, nullptr);
  if (session.config.ContactsFolderToScanEntryID.isEmpty()) {
    throw Error(QStringLiteral("Select a contacts folder first: feedwell configure --contacts-folder PATH"));
  }
  const std::unique_ptr<mailstore::Application> store = OpenProfileStore(session.home);
  TerminalHost host(session, context.out, context.verbose);
  CreateContactsThumb(session, host, *store);
  host.FinishProgress();
  context.out << "Thumbnails: " << QDir::toNativeSeparators(session.home.ContactsDir()) << "\n";
  return 0;
}

}  // namespace feedwell::cli
