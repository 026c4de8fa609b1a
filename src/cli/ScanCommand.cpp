#include "cli/Command.h"
#include "common/Error.h"

namespace feedwell::cli {

int RunScan(CommandContext&, const QStringList&) {
  throw Error(QStringLiteral("The 'scan' command is not available yet."));
}

}  // namespace feedwell::cli
