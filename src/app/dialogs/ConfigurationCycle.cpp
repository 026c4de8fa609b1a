#include "app/dialogs/ConfigurationCycle.h"

#include <QMessageBox>

#include "app/dialogs/ConfigDialog.h"
#include "common/Error.h"

namespace feedwell::app {
namespace {

bool Ask(const ConfigurationCycle& cycle) {
  const QString text = FirstRunQuestionText();
  if (cycle.ask) return cycle.ask(cycle.parent, text);
  return QMessageBox::information(cycle.parent, QStringLiteral("Feedwell"), text,
                                  QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

void ShowError(const ConfigurationCycle& cycle, const QString& text) {
  if (cycle.showError) {
    cycle.showError(cycle.parent, text);
  } else {
    QMessageBox::critical(cycle.parent, QStringLiteral("Feedwell"), text);
  }
}

// Reads the settings and shows them; true when the first-run question was answered Yes.
bool ReadSettingsAndAsk(const ConfigurationCycle& cycle) {
  bool questionDue = false;
  try {
    questionDue = LoadSettings(cycle.settingsPath, cycle.dialog->configuration(), cycle.columns);
  } catch (const Error& e) {
    cycle.dialog->LoadFromConfiguration();
    ShowError(cycle, e.message());
    return false;
  }
  cycle.dialog->LoadFromConfiguration();
  return questionDue && Ask(cycle);
}

}  // namespace

QString FirstRunQuestionText() {
  QString text = FirstRunQuestion();
  text.replace(u'\r', u'\n');
  return text;
}

void RunConfigurationCycle(const ConfigurationCycle& cycle) {
  // A loop rather than recursion: the user may cancel and answer Yes any number of times.
  for (;;) {
    if (cycle.dialog->exec() == QDialog::Accepted) {
      try {
        SaveSettings(cycle.settingsPath, cycle.dialog->configuration(), cycle.columns);
      } catch (const Error& e) {
        ShowError(cycle, e.message());
      }
      return;
    }
    if (!ReadSettingsAndAsk(cycle)) return;
  }
}

void LoadSettingsAndAsk(const ConfigurationCycle& cycle) {
  if (ReadSettingsAndAsk(cycle)) RunConfigurationCycle(cycle);
}

}  // namespace feedwell::app
