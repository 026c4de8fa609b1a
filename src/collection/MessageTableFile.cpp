#include "collection/MessageTableFile.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "common/Error.h"

namespace feedwell {
namespace {

// "FdWl": marks an SQLite file as a Feedwell table.
constexpr int kApplicationId = 0x4664576C;
// Raise when the columns change; older versions are then upgraded on load.
constexpr int kSchemaVersion = 1;

constexpr char kSqliteMagic[] = "SQLite format 3";  // with its NUL, the file's first 16 bytes
constexpr qsizetype kSqliteHeaderSize = 100;

struct DatabaseCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StatementFinalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, DatabaseCloser>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

QString Quoted(const QString& path) {
  return u'"' + QFileInfo(path).absoluteFilePath() + u'"';
}

QString LastError(sqlite3* db) {
  return QString::fromUtf8(sqlite3_errmsg(db));
}

// The SQL type of each field, in field order.
constexpr std::array<const char*, 10> kFieldTypes = {"INTEGER", "TEXT", "INTEGER", "REAL", "REAL",
                                                     "TEXT",    "REAL", "TEXT",    "TEXT", "TEXT"};

QByteArray CreateTableSql() {
  QByteArray sql = "CREATE TABLE messages (";
  for (size_t i = 0; i < kMessageFieldNames.size(); ++i) {
    if (i > 0) sql += ", ";
    sql += kMessageFieldNames[i];
    sql += ' ';
    sql += kFieldTypes[i];
    sql += " NOT NULL";
  }
  return sql + ')';
}

QByteArray SelectSql() {
  QByteArray sql = "SELECT ";
  for (size_t i = 0; i < kMessageFieldNames.size(); ++i) {
    if (i > 0) sql += ", ";
    sql += kMessageFieldNames[i];
  }
  return sql + " FROM messages ORDER BY rowid";
}

QByteArray InsertSql() {
  QByteArray sql = "INSERT INTO messages (";
  QByteArray values = ") VALUES (";
  for (size_t i = 0; i < kMessageFieldNames.size(); ++i) {
    if (i > 0) {
      sql += ", ";
      values += ", ";
    }
    sql += kMessageFieldNames[i];
    values += '?';
  }
  return sql + values + ')';
}

quint32 BigEndian(const QByteArray& bytes, qsizetype at, int width) {
  quint32 value = 0;
  for (int i = 0; i < width; ++i) value = (value << 8) | static_cast<quint8>(bytes.at(at + i));
  return value;
}

// What the file's first bytes tell, before SQLite opens it. SQLite keeps the application id and
// the user version in its header, so a foreign or newer file is known without reading further.
struct Header {
  enum class State { Missing, Empty, Database } state = State::Missing;
  bool cutShort = false;  // shorter than its header or than the page count it gives
  bool complete = false;  // the 100-byte header is all there
  quint32 applicationId = 0;
  qint32 version = 0;
  qint64 size = 0;
};

Header InspectHeader(const QString& path) {
  Header h;
  QFile file(path);
  if (!file.exists()) return h;
  if (!file.open(QIODevice::ReadOnly)) {
    throw Error(QStringLiteral("Cannot read the table file %1: %2").arg(Quoted(path), file.errorString()));
  }
  h.size = file.size();
  h.state = h.size == 0 ? Header::State::Empty : Header::State::Database;
  if (h.size == 0) return h;
  const QByteArray header = file.read(kSqliteHeaderSize);
  const QByteArray magic(kSqliteMagic, sizeof kSqliteMagic);
  if (!magic.startsWith(header.left(magic.size()))) {
    throw Error(QStringLiteral("The file %1 is not a Feedwell table file (it is not an SQLite database).")
                    .arg(Quoted(path)));
  }
  h.complete = header.size() == kSqliteHeaderSize;
  if (!h.complete) {
    h.cutShort = true;
    return h;
  }
  quint32 pageSize = BigEndian(header, 16, 2);
  if (pageSize == 1) pageSize = 65536;
  const quint32 changeCounter = BigEndian(header, 24, 4);
  const quint32 pageCount = BigEndian(header, 28, 4);
  const quint32 validFor = BigEndian(header, 92, 4);
  h.cutShort = validFor == changeCounter && pageCount > 0 && h.size < qint64(pageSize) * pageCount;
  h.version = static_cast<qint32>(BigEndian(header, 60, 4));
  h.applicationId = BigEndian(header, 68, 4);
  return h;
}

// Raises unless the file is a Feedwell table of a version this program understands; a table of
// ours without a version is damaged, which only a load needs to report.
void CheckIdentity(const Header& h, const QString& path, bool forLoad) {
  if (!h.complete) return;
  if (h.applicationId != quint32(kApplicationId)) {
    throw Error(
        QStringLiteral("The file %1 is an SQLite database but not a Feedwell table file.").arg(Quoted(path)));
  }
  if (h.version > kSchemaVersion) {
    throw Error(QStringLiteral("The table file %1 was written by a newer Feedwell (table version %2); this "
                               "version reads tables up to version %3. Please update Feedwell.")
                    .arg(Quoted(path))
                    .arg(h.version)
                    .arg(kSchemaVersion));
  }
  if (forLoad && h.version < 1) {
    throw Error(
        QStringLiteral("The table file %1 is damaged: it carries no table version.").arg(Quoted(path)));
  }
}

class Connection {
 public:
  Connection(const QString& path, int flags) : path_(path) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, flags, nullptr);
    db_.reset(raw);
    if (rc != SQLITE_OK) {
      throw Error(QStringLiteral("Cannot open the table file %1: %2")
                      .arg(Quoted(path), raw ? LastError(raw) : QString::fromUtf8(sqlite3_errstr(rc))));
    }
    sqlite3_extended_result_codes(raw, 1);
  }

  sqlite3* get() const { return db_.get(); }

  Statement Prepare(const QByteArray& sql) const {
    sqlite3_stmt* raw = nullptr;
    const int rc =
        sqlite3_prepare_v2(db_.get(), sql.constData(), static_cast<int>(sql.size()), &raw, nullptr);
    Statement statement(raw);
    if (rc != SQLITE_OK) Fail(rc);
    return statement;
  }

  void Execute(const QByteArray& sql) const {
    const int rc = sqlite3_exec(db_.get(), sql.constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) Fail(rc);
  }

  // Raises the error for a failed SQLite call, in words for the user where the cause is known.
  [[noreturn]] void Fail(int rc) const {
    switch (rc & 0xff) {
      case SQLITE_NOTADB:
        throw Error(QStringLiteral("The file %1 is not a Feedwell table file (it is not an SQLite database).")
                        .arg(Quoted(path_)));
      case SQLITE_CORRUPT:
        throw Error(QStringLiteral("The table file %1 is damaged (%2). Restore it from a backup, or move it "
                                   "aside to start a new table.")
                        .arg(Quoted(path_), LastError(db_.get())));
      default:
        throw Error(
            QStringLiteral("The table file %1 cannot be used: %2").arg(Quoted(path_), LastError(db_.get())));
    }
  }

 private:
  QString path_;
  Database db_;
};

QString ColumnText(sqlite3_stmt* statement, int column) {
  const auto* text = static_cast<const char*>(sqlite3_column_blob(statement, column));
  return QString::fromUtf8(text, sqlite3_column_bytes(statement, column));
}

void BindText(const Connection& db, sqlite3_stmt* statement, int index, const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  if (sqlite3_bind_text64(statement, index, utf8.constData(), static_cast<sqlite3_uint64>(utf8.size()),
                          SQLITE_TRANSIENT, SQLITE_UTF8) != SQLITE_OK) {
    db.Fail(sqlite3_errcode(db.get()));
  }
}

void BindInteger(const Connection& db, sqlite3_stmt* statement, int index, qint64 value) {
  if (sqlite3_bind_int64(statement, index, value) != SQLITE_OK) db.Fail(sqlite3_errcode(db.get()));
}

void BindReal(const Connection& db, sqlite3_stmt* statement, int index, double value) {
  if (sqlite3_bind_double(statement, index, value) != SQLITE_OK) db.Fail(sqlite3_errcode(db.get()));
}

// Writes the whole table into a fresh database file at `path` in one transaction.
void WriteFreshTable(const QString& path, const QVector<MessageRecord>& records) {
  const Connection db(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  // The file is thrown away if anything fails, so it needs no journal of its own.
  db.Execute("PRAGMA journal_mode=OFF");
  db.Execute("PRAGMA synchronous=FULL");
  db.Execute("BEGIN");
  db.Execute(CreateTableSql());
  db.Execute(QByteArray("PRAGMA application_id=") + QByteArray::number(kApplicationId));
  db.Execute(QByteArray("PRAGMA user_version=") + QByteArray::number(kSchemaVersion));
  const Statement insert = db.Prepare(InsertSql());
  sqlite3_stmt* s = insert.get();
  for (const MessageRecord& r : records) {
    BindInteger(db, s, 1, r.RecId);
    BindText(db, s, 2, r.SourceName);
    BindInteger(db, s, 3, r.InIndex);
    BindReal(db, s, 4, r.SentON);
    BindReal(db, s, 5, r.ReceivedDate);
    BindText(db, s, 6, r.Subject);
    BindReal(db, s, 7, r.UpdateDate);
    BindText(db, s, 8, r.MsgContent);
    BindText(db, s, 9, r.FromEmail);
    BindText(db, s, 10, r.EntryID);
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_DONE) db.Fail(rc);
    sqlite3_reset(s);
  }
  db.Execute("COMMIT");
}

// Flushes a file or folder to the disk so that a rename is not undone by a power cut.
void SyncPath(const QByteArray& path, int flags) {
  const int fd = ::open(path.constData(), flags | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

QString SaveError(const QString& path, const QString& reason) {
  return QStringLiteral("Cannot save the table file %1: %2").arg(Quoted(path), reason);
}

}  // namespace

QVector<MessageRecord> LoadMessageTableFile(const QString& path) {
  const Header header = InspectHeader(path);
  switch (header.state) {
    case Header::State::Missing:
      throw Error(QStringLiteral("The table file %1 does not exist.").arg(Quoted(path)));
    case Header::State::Empty:
      throw Error(QStringLiteral("The table file %1 is empty (0 bytes) and holds no table. Move it aside to "
                                 "start a new table.")
                      .arg(Quoted(path)));
    case Header::State::Database:
      break;
  }
  CheckIdentity(header, path, /*forLoad=*/true);
  if (header.cutShort) {
    throw Error(QStringLiteral("The table file %1 is damaged: it has been cut short (%2 bytes). Restore it "
                               "from a backup, or move it aside to start a new table.")
                    .arg(Quoted(path))
                    .arg(header.size));
  }
  const Connection db(path, SQLITE_OPEN_READONLY);

  QVector<MessageRecord> records;
  const Statement select = db.Prepare(SelectSql());
  sqlite3_stmt* s = select.get();
  int rc;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    MessageRecord r;
    r.RecId = sqlite3_column_int(s, 0);
    r.SourceName = ColumnText(s, 1);
    r.InIndex = sqlite3_column_int(s, 2);
    r.SentON = sqlite3_column_double(s, 3);
    r.ReceivedDate = sqlite3_column_double(s, 4);
    r.Subject = ColumnText(s, 5);
    r.UpdateDate = sqlite3_column_double(s, 6);
    r.MsgContent = ColumnText(s, 7);
    r.FromEmail = ColumnText(s, 8);
    r.EntryID = ColumnText(s, 9);
    records.append(std::move(r));
  }
  if (rc != SQLITE_DONE) db.Fail(rc);
  return records;
}

// The table is written to a fresh database beside the file, in one transaction, and renamed over
// the file only once complete: a crash at any point leaves either the previous table or the new one.
void SaveMessageTableFile(const QString& path, const QVector<MessageRecord>& records) {
  // Never overwrite what is not ours, nor a table that a newer version wrote. A damaged table of
  // ours is replaced: its records come from the mail folders and the next scan collects them again.
  try {
    CheckIdentity(InspectHeader(path), path, /*forLoad=*/false);
  } catch (const Error& error) {
    throw Error(error.message() + QStringLiteral(" The table was not saved and the file is unchanged."));
  }

  // One fixed name, so a save cut short leaves at most one stale file, which the next save replaces.
  const QString temporary = path + QStringLiteral(".saving");
  const QByteArray temporaryName = QFile::encodeName(temporary);
  const QByteArray targetName = QFile::encodeName(path);
  ::unlink(temporaryName.constData());
  try {
    WriteFreshTable(temporary, records);
  } catch (const Error& error) {
    ::unlink(temporaryName.constData());
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.isDir()) throw Error(SaveError(path, QStringLiteral("its folder does not exist.")));
    if (!folder.isWritable())
      throw Error(SaveError(path, QStringLiteral("its folder cannot be written to.")));
    throw Error(SaveError(path, error.message()));
  }
  // The table holds mail: the new file keeps the access rights the user gave the old one.
  struct stat old {};
  if (::stat(targetName.constData(), &old) == 0) ::chmod(temporaryName.constData(), old.st_mode & 07777);
  SyncPath(temporaryName, O_RDONLY);
  if (std::rename(temporaryName.constData(), targetName.constData()) != 0) {
    const QString reason = QString::fromLocal8Bit(strerror(errno));
    ::unlink(temporaryName.constData());
    throw Error(SaveError(path, reason));
  }
  SyncPath(QFile::encodeName(QFileInfo(path).absolutePath()), O_RDONLY | O_DIRECTORY);
}

}  // namespace feedwell
