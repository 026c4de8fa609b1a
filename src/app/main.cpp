#include <cstdio>

#include "cli/Cli.h"
#ifdef FEEDWELL_WITH_GUI
#include "app/GuiMain.h"
#endif

int main(int argc, char** argv) {
  if (feedwell::cli::WantsCommandLine(argc, argv)) return feedwell::cli::Run(argc, argv);
#ifdef FEEDWELL_WITH_GUI
  return feedwell::app::RunGui(argc, argv);
#else
  std::fputs("feedwell: this build has no main window; see 'feedwell --help'.\n", stderr);
  return 2;
#endif
}
