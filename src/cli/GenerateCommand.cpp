#include "cli/Command.h"
#include "cli/TerminalHost.h"
#include "collection/Session.h"
#include "collection/Startup.h"
#include "common/Error.h"
#include "page/PageGenerator.h"

namespace feedwell::cli {

// `feedwell generate`: starts a session as the main window does (record template, table file) and
// writes the page from the table's rows, newest first.
int RunGenerate(CommandContext& context, const QStringList& args) {
  if (!args.isEmpty()) throw UsageError(QStringLiteral("usage: feedwell generate"));
  Session session(context.home);
  StartSession(session);
  {
    TerminalHost host(session, context.out, context.verbose);
    GeneratePage(session.home, session.recordTemplate, host);
  }
  context.out << "Wrote " << session.home.PagePath() << "\n";
  context.out.flush();
  return 0;
}

}  // namespace feedwell::cli
