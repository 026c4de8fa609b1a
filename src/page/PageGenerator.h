#pragma once

#include <QString>

#include "common/Home.h"
#include "common/Host.h"

namespace feedwell {

// Writes <home>/Data/index.html: the page header, then the record template filled for every row
// that host.RowsInViewOrder() gives (a fixed copy taken at the start). Raises Error on failure and
// then leaves an earlier page whole.
void GeneratePage(const Home& home, const QString& recordTemplate, Host& host);

}  // namespace feedwell
