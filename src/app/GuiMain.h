#pragma once

namespace feedwell::app {

// Starts the window application: the main window, the folder picker and the configuration dialog,
// then the event loop until the main window closes.
int RunGui(int argc, char** argv);

}  // namespace feedwell::app
