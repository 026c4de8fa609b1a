#pragma once

#include <QStringList>
#include <QTextStream>
#include <stdexcept>

#include "common/Home.h"

namespace feedwell::cli {

// A command's arguments were not understood: the program prints the message and exits with 2.
class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

struct CommandContext {
  Home home;
  bool verbose = false;  // --verbose: activity log lines on standard output
  QTextStream& out;
  QTextStream& err;
};

// Each command returns its exit code (0 success); errors are raised as feedwell::Error (exit 1)
// or UsageError (exit 2).
using CommandFunction = int (*)(CommandContext& context, const QStringList& args);

int RunFolders(CommandContext& context, const QStringList& args);
int RunConfigure(CommandContext& context, const QStringList& args);
int RunContacts(CommandContext& context, const QStringList& args);
int RunScan(CommandContext& context, const QStringList& args);
int RunGenerate(CommandContext& context, const QStringList& args);
int RunInit(CommandContext& context, const QStringList& args);

}  // namespace feedwell::cli
