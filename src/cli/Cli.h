#pragma once

namespace feedwell::cli {

// True when the arguments name a command (or --help / --version), so no window is opened.
bool WantsCommandLine(int argc, char** argv);

// Runs the command the arguments name, headless. Exit codes: 0 success, 1 error (message on
// standard error), 2 usage error.
int Run(int argc, char** argv);

// The value of --home in the arguments, or empty.
const char* HomeArgument(int argc, char** argv);

}  // namespace feedwell::cli
