#include "cli/Command.h"
#include "common/Error.h"

namespace feedwell::cli {

int RunConfigure(CommandContext&, const QStringList&) {
  throw Error(QStringLiteral("The 'configure' command is not available yet."));
}

}  // namespace feedwell::cli
