#include "cli/Command.h"
#include "cli/TerminalHost.h"
#include "collection/FolderScan.h"
#include "collection/Startup.h"
#include "collection/StoreProfile.h"
#include "common/Error.h"
#include "settings/Settings.h"

namespace feedwell::cli {
namespace {

// Keeps the scan's result text, which the page generation's progress replaces on the status line,
// so that it can be printed once more when the run is over.
class ScanHost : public TerminalHost {
 public:
  using TerminalHost::TerminalHost;
  void SetStatusText(const QString& text) override {
    if (text.startsWith(QLatin1String("Last Scanned: "))) result = text;
    TerminalHost::SetStatusText(text);
  }
  QString result;
};

}  // namespace

// The mail scan without a window: the same run as "Scan && GenHTML", on the folder and options of
// the settings file, ending with the page.
int RunScan(CommandContext& context, const QStringList& args) {
  if (!args.isEmpty()) throw UsageError(QStringLiteral("usage: feedwell scan [--verbose]"));
  Session session(context.home);
  StartSession(session);
  LoadSettings(session.home.GetSettingsFileName(), session.config, nullptr);
  // The window shows this in a box; here it is an error, so scripts see the scan did not run.
  if (session.config.FolderToScanEntryID == u"0") throw Error(QStringLiteral("Select folder to scan!"));
  const std::unique_ptr<mailstore::Application> store = OpenProfileStore(session.home);
  ScanHost host(session, context.out, context.verbose);
  actScanExecute(session, host, *store);
  host.FinishProgress();
  context.out << host.result << "\n";
  context.out << "Page: " << session.home.PagePath() << "\n";
  return 0;
}

}  // namespace feedwell::cli
