#pragma once

#include <QString>
#include <QStringList>

#include "settings/Configuration.h"

namespace feedwell {

// The grid's column widths by caption, as the settings file stores them ("GRID"/"WIDTHCOLUMN" +
// caption). The window implements it; the command line has none.
class ColumnWidths {
 public:
  virtual ~ColumnWidths() = default;
  virtual QStringList Captions() const = 0;  // all ten, in column order
  virtual int Width(const QString& caption) const = 0;
  virtual void SetWidth(const QString& caption, int width) = 0;
};

// Reads the settings file at `path` into `config` and the column widths (may be null); a key absent
// from the file leaves its holder as it is. Returns true when no contacts folder is set, that is
// when the first-run question must be asked.
bool LoadSettings(const QString& path, Configuration& config, ColumnWidths* columns);

// Writes the same keys back, in the same order. Raises Error "Unable to write to <path>" at the key
// the system refuses; the keys before it stay written.
void SaveSettings(const QString& path, const Configuration& config, const ColumnWidths* columns);

// The first-run question, its line breaks included.
QString FirstRunQuestion();

}  // namespace feedwell
