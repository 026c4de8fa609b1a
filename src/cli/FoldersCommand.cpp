#include "cli/Command.h"
#include "common/Error.h"

namespace feedwell::cli {

int RunFolders(CommandContext&, const QStringList&) {
  throw Error(QStringLiteral("The 'folders' command is not available yet."));
}

}  // namespace feedwell::cli
