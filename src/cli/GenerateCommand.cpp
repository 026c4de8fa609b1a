#include "cli/Command.h"
#include "common/Error.h"

namespace feedwell::cli {

int RunGenerate(CommandContext&, const QStringList&) {
  throw Error(QStringLiteral("The 'generate' command is not available yet."));
}

}  // namespace feedwell::cli
