#pragma once

#include <QTableView>
#include <QVector>

#include "collection/MessageTable.h"
#include "common/Host.h"
#include "settings/Settings.h"
#include "view/MessageListModel.h"

namespace feedwell::view {

// The message list: whole-row selection, no editing, RecId/MsgContent/EntryID hidden, the columns
// stretched together over the grid's width in proportion to their widths. Its column widths are
// read and set by caption for the settings file.
class MessageGrid : public QTableView, public ColumnWidths {
  Q_OBJECT

 public:
  explicit MessageGrid(MessageTable& table, QWidget* parent = nullptr);

  MessageListModel& model() { return model_; }
  MessageListProxy& proxy() { return proxy_; }

  // The record of the focused row, or null when no row is focused.
  const MessageRecord* FocusedRecord() const;
  // Focuses the first row (the newest message) when there is one.
  void FocusFirstRow();
  // Rows in the order shown.
  QVector<PageRow> RowsInViewOrder() const;

  // Suspends repainting for a run; calls nest, and the display comes back with the last Resume.
  void SuspendDisplay();
  void ResumeDisplay();
  bool IsSuspended() const { return suspended_ > 0; }

  // ColumnWidths. Shown columns report their width on screen; hidden ones the width they would take.
  QStringList Captions() const override;
  int Width(const QString& caption) const override;
  void SetWidth(const QString& caption, int width) override;

 signals:
  // The focused row changed (moved by the user, by inserted or removed rows, or by FocusFirstRow).
  void focusedRecordChanged();

 protected:
  bool viewportEvent(QEvent* event) override;
  void updateGeometries() override;

 private:
  void FitColumns();
  void OnSectionResized(int column, int oldSize, int newSize);
  void FollowInsertedRow(int sourceRow);

  MessageListModel model_;
  MessageListProxy proxy_;
  QVector<int> widths_;  // the width each column asks for; shown columns share the grid in proportion
  bool fitting_ = false;
  int fittedWidth_ = -1;
  int suspended_ = 0;
};

}  // namespace feedwell::view
