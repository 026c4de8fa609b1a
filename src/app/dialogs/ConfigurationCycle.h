#pragma once

#include <QString>
#include <functional>

#include "settings/Settings.h"

class QWidget;

namespace feedwell::app {

class ConfigDialog;

// What the configuration cycle works on: the dialog (which edits the session's configuration), the
// list's column widths (may be null) and the settings file. Errors of the settings file are shown
// in a box over `parent`; nothing is raised.
struct ConfigurationCycle {
  QWidget* parent = nullptr;
  ConfigDialog* dialog = nullptr;
  ColumnWidths* columns = nullptr;
  QString settingsPath;
  // Asks the first-run question; true for Yes. Unset: an information box with Yes and No.
  std::function<bool(QWidget* parent, const QString& text)> ask;
  // Shows an error. Unset: a critical message box.
  std::function<void(QWidget* parent, const QString& text)> showError;
};

// The "Configuration..." command: shows the dialog modally; OK saves the settings, any other ending
// (Cancel, the close box) reads them back, which restores what the file holds and asks the
// first-run question while no contacts folder is set. Yes shows the dialog again; this repeats
// until the user answers No, presses OK or a contacts folder is set.
void RunConfigurationCycle(const ConfigurationCycle& cycle);

// Reads the settings into the configuration, the dialog and the columns, then asks the first-run
// question while no contacts folder is set; Yes runs the configuration command. The main window
// runs it once, when it is first shown.
void LoadSettingsAndAsk(const ConfigurationCycle& cycle);

// The first-run question as a message box shows it: every "\r" becomes a line break.
QString FirstRunQuestionText();

}  // namespace feedwell::app
