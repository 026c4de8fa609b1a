#pragma once

#include <QString>

#include "collection/MessageRecord.h"
#include "common/DateTime.h"

namespace feedwell::test {

// A record with realistic values that differ per `i`: a folder name, an HTML body of a few
// paragraphs, a sender address and a unique entry identifier ("EID-<i>-…"). RecId is i + 1, InIndex
// i + 1, SentON one hour before `received`, UpdateDate one day after it.
MessageRecord MakeRecord(int i, DateTime received);

// Writes a table file at `path` holding `count` records made by MakeRecord, received one minute
// apart from 1 June 2024, 08:00 on (record 0 the oldest).
void WriteTableFile(const QString& path, int count);

}  // namespace feedwell::test
