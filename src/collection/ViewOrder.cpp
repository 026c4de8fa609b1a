#include "collection/ViewOrder.h"

#include <algorithm>
#include <numeric>

namespace feedwell {

QVector<int> RowOrderNewestFirst(const MessageTable& table) {
  QVector<int> order(table.RecordCount());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&table](int a, int b) {
    return table.Record(a).ReceivedDate > table.Record(b).ReceivedDate;
  });
  return order;
}

QVector<PageRow> RowsNewestFirst(const MessageTable& table) {
  QVector<PageRow> rows;
  rows.reserve(table.RecordCount());
  for (int index : RowOrderNewestFirst(table)) {
    const MessageRecord& r = table.Record(index);
    rows.append(PageRow{r.ReceivedDate, r.FromEmail, r.Subject, r.MsgContent});
  }
  return rows;
}

}  // namespace feedwell
