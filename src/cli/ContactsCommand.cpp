#include "cli/Command.h"
#include "common/Error.h"

namespace feedwell::cli {

int RunContacts(CommandContext&, const QStringList&) {
  throw Error(QStringLiteral("The 'contacts' command is not available yet."));
}

}  // namespace feedwell::cli
