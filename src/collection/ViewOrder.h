#pragma once

#include <QVector>

#include "collection/MessageTable.h"
#include "common/Host.h"

namespace feedwell {

// The list's order: ReceivedDate, newest first; rows with equal dates keep the table's order.
QVector<int> RowOrderNewestFirst(const MessageTable& table);

// The table's rows in that order, as the page generator reads them.
QVector<PageRow> RowsNewestFirst(const MessageTable& table);

}  // namespace feedwell
