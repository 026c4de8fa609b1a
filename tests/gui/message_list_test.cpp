#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QSignalSpy>

#include "GuiTestApp.h"
#include "collection/ViewOrder.h"
#include "support/TableFixtures.h"
#include "view/MessageGrid.h"
#include "view/MessageListModel.h"

namespace feedwell::view {
namespace {

const DateTime kBase = EncodeDateTime(2026, 3, 14, 8, 0, 0);
constexpr double kMinute = 1.0 / 1440;

// Records whose dates go up and down and repeat, so that the order is not the table's.
QVector<MessageRecord> MixedRecords() {
  const double offsets[] = {5, 1, 9, 5, 3, 9, 0, 5};
  QVector<MessageRecord> records;
  for (int i = 0; i < 8; ++i) records.append(test::MakeRecord(i, kBase + offsets[i] * kMinute));
  return records;
}

QVector<int> ShownSourceOrder(const MessageListProxy& proxy) {
  QVector<int> order;
  for (int row = 0; row < proxy.rowCount(); ++row) order.append(proxy.SourceRow(row));
  return order;
}

TEST(MessageListModel, StaysConsistentThroughEveryTableChange) {
  MessageTable table;
  MessageListModel model(table);
  MessageListProxy proxy(model);
  QAbstractItemModelTester modelCheck(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  QAbstractItemModelTester proxyCheck(&proxy, QAbstractItemModelTester::FailureReportingMode::Fatal);

  table.OpenIfClosed();
  table.Reset(MixedRecords());
  EXPECT_EQ(proxy.rowCount(), 8);
  EXPECT_EQ(ShownSourceOrder(proxy), RowOrderNewestFirst(table));

  // Inserted rows take their place by date; equal dates keep the table's order.
  table.Insert(test::MakeRecord(20, kBase + 5 * kMinute));
  table.Insert(test::MakeRecord(21, kBase + 99 * kMinute));
  table.Insert(test::MakeRecord(22, kBase - 1));
  EXPECT_EQ(ShownSourceOrder(proxy), RowOrderNewestFirst(table));
  EXPECT_EQ(proxy.RecordAt(0)->EntryID, test::MakeRecord(21, 0).EntryID);

  table.Trim(4);
  EXPECT_EQ(proxy.rowCount(), 4);
  EXPECT_EQ(ShownSourceOrder(proxy), RowOrderNewestFirst(table));
  table.Reset({});
  EXPECT_EQ(proxy.rowCount(), 0);
}

TEST(MessageListModel, ShowsFieldsReadOnlyUnderTheirNames) {
  MessageTable table;
  table.Reset(MixedRecords());
  MessageListModel model(table);
  ASSERT_EQ(model.columnCount(), static_cast<int>(kMessageFieldNames.size()));
  const MessageRecord& r = table.Record(2);
  for (int column = 0; column < model.columnCount(); ++column) {
    EXPECT_EQ(model.headerData(column, Qt::Horizontal).toString(), QLatin1String(kMessageFieldNames[column]));
    const QModelIndex index = model.index(2, column);
    EXPECT_FALSE(model.flags(index) & Qt::ItemIsEditable) << column;
    EXPECT_TRUE(model.flags(index) & Qt::ItemIsSelectable) << column;
  }
  EXPECT_EQ(model.index(2, kReceivedDateColumn).data().toString(), DateTimeToText(r.ReceivedDate));
  EXPECT_EQ(model.index(2, kSentOnColumn).data().toString(), DateTimeToText(r.SentON));
  EXPECT_EQ(model.index(2, kUpdateDateColumn).data().toString(), DateTimeToText(r.UpdateDate));
  EXPECT_EQ(model.index(2, kSubjectColumn).data().toString(), r.Subject);
  EXPECT_EQ(model.index(2, kInIndexColumn).data().toInt(), r.InIndex);
  EXPECT_EQ(model.index(2, kReceivedDateColumn).data(MessageListModel::kValueRole).toDouble(),
            r.ReceivedDate);
}

TEST(MessageListProxy, GivesTheColourRuleToEveryCellOfItsRow) {
  MessageTable table;
  table.Reset(MixedRecords());
  MessageListModel model(table);
  MessageListProxy proxy(model);
  EXPECT_FALSE(proxy.index(0, kSubjectColumn).data(Qt::BackgroundRole).isValid());
  const QString redOne = table.Record(4).EntryID;
  proxy.SetColourRule([&](const MessageRecord& record) {
    CellColours colours;
    colours.background = QColor(10, 20, record.InIndex);
    colours.red = record.EntryID == redOne;
    return colours;
  });
  for (int row = 0; row < proxy.rowCount(); ++row) {
    const MessageRecord* record = proxy.RecordAt(row);
    const QModelIndex cell = proxy.index(row, kFromEmailColumn);
    EXPECT_EQ(cell.data(Qt::BackgroundRole).value<QBrush>().color(), QColor(10, 20, record->InIndex));
    EXPECT_EQ(cell.data(Qt::ForegroundRole).isValid(), record->EntryID == redOne);
    if (record->EntryID == redOne) {
      EXPECT_EQ(cell.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
    }
  }
}

class MessageGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table_.Reset(MixedRecords());
    grid_ = std::make_unique<MessageGrid>(table_);
    grid_->resize(721, 284);
    grid_->show();
    QCoreApplication::processEvents();
  }
  int ShownWidthSum() const {
    int sum = 0;
    for (int c = 0; c < kMessageColumnCount; ++c)
      if (!grid_->isColumnHidden(c)) sum += grid_->columnWidth(c);
    return sum;
  }

  MessageTable table_;
  std::unique_ptr<MessageGrid> grid_;
};

TEST_F(MessageGridTest, SelectsWholeRowsAndHidesTheInnerFields) {
  EXPECT_EQ(grid_->objectName(), QStringLiteral("cxGrid1DBTableView1"));
  EXPECT_EQ(grid_->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(grid_->editTriggers(), QAbstractItemView::NoEditTriggers);
  for (int c = 0; c < kMessageColumnCount; ++c) {
    const bool hidden = c == kRecIdColumn || c == kMsgContentColumn || c == kEntryIdColumn;
    EXPECT_EQ(grid_->isColumnHidden(c), hidden) << kMessageFieldNames[c];
  }
  EXPECT_EQ(grid_->horizontalHeader()->sortIndicatorSection(), kReceivedDateColumn);
  EXPECT_EQ(grid_->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
}

TEST_F(MessageGridTest, StretchesColumnsOverItsWidthInProportion) {
  EXPECT_EQ(ShownWidthSum(), grid_->viewport()->width());
  for (int c = 0; c < kMessageColumnCount; ++c) {
    if (c != kReceivedDateColumn && !grid_->isColumnHidden(c)) {
      EXPECT_GT(grid_->columnWidth(kReceivedDateColumn), grid_->columnWidth(c)) << kMessageFieldNames[c];
    }
  }
  grid_->resize(1200, 284);
  QCoreApplication::processEvents();
  EXPECT_EQ(ShownWidthSum(), grid_->viewport()->width());

  // A column the user widens takes its room from those to its right.
  const int subject = grid_->columnWidth(kSubjectColumn);
  const int before = grid_->columnWidth(kSourceNameColumn);
  grid_->horizontalHeader()->resizeSection(kSubjectColumn, subject + 60);
  EXPECT_EQ(ShownWidthSum(), grid_->viewport()->width());
  EXPECT_NEAR(grid_->columnWidth(kSubjectColumn), subject + 60, 2);
  EXPECT_EQ(grid_->columnWidth(kSourceNameColumn), before);
}

TEST_F(MessageGridTest, ColumnWidthsRoundTripByCaption) {
  QStringList expected;
  for (const char* name : kMessageFieldNames) expected << QLatin1String(name);
  EXPECT_EQ(grid_->Captions(), expected);

  grid_->SetWidth(QStringLiteral("Subject"), 400);
  grid_->SetWidth(QStringLiteral("ReceivedDate"), 100);
  grid_->SetWidth(QStringLiteral("MsgContent"), 77);  // hidden: kept for the settings file
  grid_->SetWidth(QStringLiteral("NoSuchColumn"), 50);
  EXPECT_EQ(grid_->Width(QStringLiteral("MsgContent")), 77);
  EXPECT_EQ(grid_->Width(QStringLiteral("NoSuchColumn")), 0);
  EXPECT_GT(grid_->Width(QStringLiteral("Subject")), grid_->Width(QStringLiteral("ReceivedDate")));

  // Widths read from one grid and set on another show the same.
  MessageTable otherTable;
  MessageGrid other(otherTable);
  other.resize(grid_->size());
  other.show();
  QCoreApplication::processEvents();
  for (const QString& caption : grid_->Captions()) other.SetWidth(caption, grid_->Width(caption));
  for (const QString& caption : grid_->Captions())
    EXPECT_NEAR(other.Width(caption), grid_->Width(caption), 1) << caption.toStdString();
}

TEST_F(MessageGridTest, FocusesTheNewestRowAndListsRowsInViewOrder) {
  grid_->setCurrentIndex(grid_->proxy().index(5, kSubjectColumn));
  QSignalSpy focusChanges(grid_.get(), &MessageGrid::focusedRecordChanged);
  grid_->FocusFirstRow();
  ASSERT_NE(grid_->FocusedRecord(), nullptr);
  EXPECT_EQ(focusChanges.count(), 1);
  const QVector<int> order = RowOrderNewestFirst(table_);
  EXPECT_EQ(grid_->FocusedRecord()->EntryID, table_.Record(order.first()).EntryID);

  const QVector<PageRow> expected = RowsNewestFirst(table_);
  const QVector<PageRow> rows = grid_->RowsInViewOrder();
  ASSERT_EQ(rows.size(), expected.size());
  for (int i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].ReceivedDate, expected[i].ReceivedDate) << i;
    EXPECT_EQ(rows[i].FromEmail, expected[i].FromEmail) << i;
    EXPECT_EQ(rows[i].Subject, expected[i].Subject) << i;
    EXPECT_EQ(rows[i].MsgContent, expected[i].MsgContent) << i;
  }

  // An inserted record takes the focus, as the table's current record.
  table_.Insert(test::MakeRecord(30, kBase + 2 * kMinute));
  EXPECT_EQ(focusChanges.count(), 2);
  EXPECT_EQ(grid_->FocusedRecord()->EntryID, test::MakeRecord(30, 0).EntryID);

  table_.Reset({});
  grid_->FocusFirstRow();
  EXPECT_EQ(grid_->FocusedRecord(), nullptr);
  EXPECT_TRUE(grid_->RowsInViewOrder().isEmpty());
}

TEST_F(MessageGridTest, SuspendedDisplayComesBackWithTheLastResume) {
  QSignalSpy focusChanges(grid_.get(), &MessageGrid::focusedRecordChanged);
  grid_->SuspendDisplay();
  grid_->SuspendDisplay();
  EXPECT_FALSE(grid_->updatesEnabled());
  table_.Insert(test::MakeRecord(31, kBase));
  EXPECT_EQ(focusChanges.count(), 0);  // rows arriving during a run leave the focus alone
  grid_->ResumeDisplay();
  EXPECT_FALSE(grid_->updatesEnabled());
  grid_->ResumeDisplay();
  EXPECT_TRUE(grid_->updatesEnabled());
  grid_->ResumeDisplay();  // an extra resume is harmless
  EXPECT_TRUE(grid_->updatesEnabled());
  EXPECT_EQ(grid_->model().rowCount(), 9);
}

}  // namespace
}  // namespace feedwell::view
