#include "platform/registry/registry.h"

#include <sqlite3.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

namespace cw {
namespace {

// Marks the file as ours ("CWrg"), so that another program's database at the
// same place is recognised as foreign and set aside rather than written into.
constexpr int kApplicationId = 0x43577267;
constexpr int kSchemaVersion = 1;
constexpr std::int64_t kRootKeyId = 1;
// A writer waits this long for another process's transaction to finish.
constexpr int kBusyTimeoutMs = 5000;
constexpr qsizetype kMaxKeyNameLength = 255;
constexpr qsizetype kMaxNameLength = 16383;  // value names and class strings
// Keys are deleted through cascading foreign keys, which SQLite follows at most
// 1000 levels deep.
constexpr qsizetype kMaxKeyDepth = 512;

constexpr const char* kSchema = R"sql(
CREATE TABLE keys(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  parent INTEGER REFERENCES keys(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  fold TEXT NOT NULL,
  class TEXT NOT NULL,
  UNIQUE(parent, fold));
INSERT INTO keys(id, parent, name, fold, class) VALUES(1, NULL, '', '', '');
CREATE TABLE vals(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  key INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  fold TEXT NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  UNIQUE(key, fold));
)sql";

// Resets a statement and its bindings when a use of it ends, however it ends.
class StatementUse {
 public:
  explicit StatementUse(sqlite3_stmt* statement) : statement_(statement) {}
  ~StatementUse() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
  }
  StatementUse(const StatementUse&) = delete;
  StatementUse& operator=(const StatementUse&) = delete;

  void Bind(int index, std::int64_t value) { sqlite3_bind_int64(statement_, index, value); }
  void Bind(int index, QStringView text) {
    sqlite3_bind_text16(statement_, index, text.utf16(), static_cast<int>(text.size() * 2),
                        SQLITE_TRANSIENT);
  }
  void Bind(int index, std::span<const std::uint8_t> bytes) {
    // A null pointer would bind SQL NULL, so an empty value is bound as a zero-length blob.
    if (bytes.empty()) {
      sqlite3_bind_zeroblob(statement_, index, 0);
    } else {
      sqlite3_bind_blob64(statement_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
    }
  }
  int Step() { return sqlite3_step(statement_); }
  std::int64_t Int(int column) { return sqlite3_column_int64(statement_, column); }
  QString Text(int column) {
    const auto* text = static_cast<const char16_t*>(sqlite3_column_text16(statement_, column));
    return QString::fromUtf16(text, sqlite3_column_bytes16(statement_, column) / 2);
  }
  std::span<const std::uint8_t> Blob(int column) {
    const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement_, column));
    return {bytes, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column))};
  }

 private:
  sqlite3_stmt* statement_;
};

RegStatus WriteFailure(int rc) {
  return rc == SQLITE_CONSTRAINT_FOREIGNKEY ? RegStatus::KeyDeleted : RegStatus::IoFailed;
}

// The components of a key path, or none when it names no key, has an
// over-long component or is deeper than keys may nest. Doubled separators
// count as one, so a path built around an empty name still names a key.
std::optional<QList<QStringView>> SplitKeyPath(QStringView path) {
  QList<QStringView> components = path.split(u'\\', Qt::SkipEmptyParts);
  if (components.isEmpty() || components.size() > kMaxKeyDepth) return std::nullopt;
  for (QStringView component : components) {
    if (component.size() > kMaxKeyNameLength) return std::nullopt;
  }
  return components;
}

bool ValidName(QStringView name) { return name.size() <= kMaxNameLength; }

// SQLite itself, given a file that is no database and shorter than a page,
// deletes the write-ahead log beside it; such a file is recognised first so
// that the log is set aside with it instead. A file that cannot be read is no
// use either.
bool HasDatabaseHeader(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  if (file.size() == 0) return true;  // SQLite's own empty database
  static constexpr char kMagic[] = "SQLite format 3";  // with its terminator: 16 bytes
  return file.read(sizeof kMagic) == QByteArray(kMagic, sizeof kMagic);
}

}  // namespace

struct Registry::Statements {
  sqlite3_stmt* findChild = nullptr;
  sqlite3_stmt* insertKey = nullptr;
  sqlite3_stmt* keyExists = nullptr;
  sqlite3_stmt* keyClass = nullptr;
  sqlite3_stmt* deleteKey = nullptr;
  sqlite3_stmt* queryValue = nullptr;
  sqlite3_stmt* setValue = nullptr;
  sqlite3_stmt* deleteValue = nullptr;
  sqlite3_stmt* enumValue = nullptr;
  sqlite3_stmt* begin = nullptr;
  sqlite3_stmt* commit = nullptr;
  sqlite3_stmt* rollback = nullptr;

  bool Prepare(sqlite3* db) {
    const std::pair<sqlite3_stmt**, const char*> sources[] = {
        {&findChild, "SELECT id FROM keys WHERE parent = ?1 AND fold = ?2"},
        {&insertKey, "INSERT INTO keys(parent, name, fold, class) VALUES(?1, ?2, ?3, ?4)"},
        {&keyExists, "SELECT 1 FROM keys WHERE id = ?1"},
        {&keyClass, "SELECT class FROM keys WHERE id = ?1"},
        {&deleteKey, "DELETE FROM keys WHERE id = ?1"},
        {&queryValue, "SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2"},
        // A replaced value keeps its row, hence its place and the case of its name.
        {&setValue,
         "INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
         "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data"},
        {&deleteValue, "DELETE FROM vals WHERE key = ?1 AND fold = ?2"},
        {&enumValue, "SELECT name FROM vals WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2"},
        {&begin, "BEGIN IMMEDIATE"},
        {&commit, "COMMIT"},
        {&rollback, "ROLLBACK"},
    };
    for (const auto& [statement, sql] : sources) {
      if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, statement, nullptr) !=
          SQLITE_OK) {
        return false;
      }
    }
    return true;
  }

  ~Statements() {
    for (sqlite3_stmt* statement : {findChild, insertKey, keyExists, keyClass, deleteKey,
                                    queryValue, setValue, deleteValue, enumValue, begin, commit,
                                    rollback}) {
      sqlite3_finalize(statement);
    }
  }
};

QString Registry::DefaultLocation() {
  const QString named = qEnvironmentVariable("CARDWRIGHT_REGISTRY");
  if (!named.isEmpty()) return named;
  QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
  if (dataHome.isEmpty() || QDir::isRelativePath(dataHome)) {
    dataHome = QDir::homePath() + QStringLiteral("/.local/share");
  }
  return dataHome + QStringLiteral("/cardwright/registry.sqlite3");
}

Registry::Registry() : Registry(DefaultLocation()) {}

Registry::Registry(const QString& file) : file_(file) {
  OpenResult result = OpenFile();
  if (result == OpenResult::Damaged) {
    CloseFile();
    result = SetAside() ? OpenFile() : OpenResult::Unavailable;
  }
  if (result != OpenResult::Ready) CloseFile();
}

Registry::~Registry() { CloseFile(); }

std::optional<QString> Registry::TakeSetAsideNotice() {
  std::optional<QString> notice;
  notice.swap(setAsideNotice_);
  return notice;
}

Registry::OpenResult Registry::OpenFile() {
  const QFileInfo info(file_);
  QDir().mkpath(info.absolutePath());
  if (info.exists() && (!info.isFile() || !HasDatabaseHeader(file_))) return OpenResult::Damaged;

  const int rc = sqlite3_open_v2(QFile::encodeName(file_).constData(), &db_,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc != SQLITE_OK) return info.exists() ? OpenResult::Damaged : OpenResult::Unavailable;
  sqlite3_extended_result_codes(db_, 1);
  // A file we may not write cannot serve as the registry.
  if (sqlite3_db_readonly(db_, "main") == 1) return OpenResult::Damaged;
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);

  const OpenResult health = QuickCheck();
  if (health != OpenResult::Ready) return health;
  // The schema is checked before anything is written, so that a foreign
  // database is set aside exactly as it was found.
  const OpenResult schema = PrepareSchema();
  if (schema != OpenResult::Ready) return schema;

  // Readers never block the writer, and a crash leaves the last commit whole.
  sqlite3_exec(db_, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
  sqlite3_exec(db_, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
  statements_ = std::make_unique<Statements>();
  return statements_->Prepare(db_) ? OpenResult::Ready : OpenResult::Damaged;
}

Registry::OpenResult Registry::QuickCheck() {
  sqlite3_stmt* check = nullptr;
  int rc = sqlite3_prepare_v2(db_, "PRAGMA quick_check", -1, &check, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_step(check);
    if (rc == SQLITE_ROW) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(check, 0));
      const bool healthy = text != nullptr && std::strcmp(text, "ok") == 0;
      rc = healthy ? sqlite3_step(check) : SQLITE_CORRUPT;
    }
  }
  sqlite3_finalize(check);
  switch (rc & 0xFF) {
    case SQLITE_DONE:
      return OpenResult::Ready;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_READONLY:
      return OpenResult::Damaged;
    default:  // busy, out of memory, an I/O error: not the file's fault
      return OpenResult::Unavailable;
  }
}

// Creates the tables in a new file, or checks that an existing file holds
// ours. The check runs inside the write transaction, so two processes starting
// on a new file do not both create them.
Registry::OpenResult Registry::PrepareSchema() {
  if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
    return OpenResult::Unavailable;
  }
  auto readInt = [this](const char* sql) -> std::optional<std::int64_t> {
    sqlite3_stmt* statement = nullptr;
    std::optional<std::int64_t> value;
    if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
      value = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
    return value;
  };
  const auto applicationId = readInt("PRAGMA application_id");
  const auto version = readInt("PRAGMA user_version");
  const auto objects = readInt("SELECT count(*) FROM sqlite_master");
  OpenResult result = OpenResult::Damaged;
  if (!applicationId || !version || !objects) {
    result = OpenResult::Unavailable;
  } else if (*applicationId == kApplicationId && *version == kSchemaVersion) {
    result = OpenResult::Ready;
  } else if (*applicationId == 0 && *version == 0 && *objects == 0) {
    const QByteArray marks = "PRAGMA application_id = " + QByteArray::number(kApplicationId) +
                             "; PRAGMA user_version = " + QByteArray::number(kSchemaVersion);
    const bool made = sqlite3_exec(db_, kSchema, nullptr, nullptr, nullptr) == SQLITE_OK &&
                      sqlite3_exec(db_, marks.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    result = made ? OpenResult::Ready : OpenResult::Unavailable;
  }
  const char* end = result == OpenResult::Ready ? "COMMIT" : "ROLLBACK";
  if (sqlite3_exec(db_, end, nullptr, nullptr, nullptr) != SQLITE_OK &&
      result == OpenResult::Ready) {
    result = OpenResult::Unavailable;
  }
  return result;
}

void Registry::CloseFile() {
  statements_.reset();
  sqlite3_close_v2(db_);
  db_ = nullptr;
}

// Renames the file, with its write-ahead log and shared-memory index, so that
// nothing of it is lost and a fresh file starts without its log.
bool Registry::SetAside() {
  const QString stamp =
      QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
  QString target = file_ + QStringLiteral(".damaged-") + stamp;
  for (int n = 2; QFileInfo::exists(target) || QFileInfo::exists(target + QStringLiteral("-wal"));
       ++n) {
    target = file_ + QStringLiteral(".damaged-") + stamp + QLatin1Char('-') + QString::number(n);
  }
  if (!QFile::rename(file_, target)) return false;
  for (const QString& suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")}) {
    if (QFileInfo::exists(file_ + suffix)) QFile::rename(file_ + suffix, target + suffix);
  }
  setAsideNotice_ = target;
  return true;
}

RegStatus Registry::FindKey(const QList<QStringView>& components, std::int64_t* id) {
  std::int64_t current = kRootKeyId;
  for (QStringView component : components) {
    StatementUse find(statements_->findChild);
    find.Bind(1, current);
    find.Bind(2, component.toString().toCaseFolded());
    const int rc = find.Step();
    if (rc == SQLITE_DONE) return RegStatus::FileNotFound;
    if (rc != SQLITE_ROW) return RegStatus::IoFailed;
    current = find.Int(0);
  }
  *id = current;
  return RegStatus::Success;
}

// Runs under a write lock and looks each component up again, as another
// process may have created part of the path since it was last looked up.
RegStatus Registry::CreateMissingKeys(const QList<QStringView>& components,
                                      QStringView className, std::int64_t* id, bool* created) {
  bool own = false;
  if (const RegStatus begun = BeginOwn(&own); begun != RegStatus::Success) return begun;
  std::int64_t current = kRootKeyId;
  *created = false;
  int rc = SQLITE_DONE;
  for (QStringView component : components) {
    const QString name = component.toString();
    const QString fold = name.toCaseFolded();
    StatementUse find(statements_->findChild);
    find.Bind(1, current);
    find.Bind(2, fold);
    rc = find.Step();
    if (rc == SQLITE_ROW) {
      current = find.Int(0);
      continue;
    }
    if (rc != SQLITE_DONE) break;
    StatementUse insert(statements_->insertKey);
    insert.Bind(1, current);
    insert.Bind(2, name);
    insert.Bind(3, fold);
    insert.Bind(4, className);
    rc = insert.Step();
    if (rc != SQLITE_DONE) break;
    current = sqlite3_last_insert_rowid(db_);
    *created = true;
  }
  const bool found = rc == SQLITE_ROW || rc == SQLITE_DONE;
  const RegStatus status = EndOwn(own, found ? RegStatus::Success : RegStatus::IoFailed);
  if (status != RegStatus::Success) return status;
  *id = current;
  return RegStatus::Success;
}

bool Registry::KeyExists(std::int64_t id) {
  StatementUse exists(statements_->keyExists);
  exists.Bind(1, id);
  return exists.Step() == SQLITE_ROW;
}

RegStatus Registry::CreateKey(QStringView path, QStringView className, RegistryKey* key,
                              RegDisposition* disposition) {
  if (!db_) return RegStatus::IoFailed;
  const auto components = SplitKeyPath(path);
  if (!components || !ValidName(className) || key == nullptr) {
    return RegStatus::InvalidParameter;
  }
  std::int64_t id = 0;
  bool created = false;
  RegStatus status = FindKey(*components, &id);
  if (status == RegStatus::FileNotFound) {
    status = CreateMissingKeys(*components, className, &id, &created);
  }
  if (status != RegStatus::Success) return status;
  key->id = id;
  if (disposition) {
    *disposition = created ? RegDisposition::CreatedNewKey : RegDisposition::OpenedExistingKey;
  }
  return RegStatus::Success;
}

RegStatus Registry::OpenKey(QStringView path, RegistryKey* key) {
  if (!db_) return RegStatus::IoFailed;
  const auto components = SplitKeyPath(path);
  if (!components || key == nullptr) return RegStatus::InvalidParameter;
  std::int64_t id = 0;
  const RegStatus status = FindKey(*components, &id);
  if (status == RegStatus::Success) key->id = id;
  return status;
}

RegStatus Registry::DeleteKey(QStringView path) {
  if (!db_) return RegStatus::IoFailed;
  const auto components = SplitKeyPath(path);
  if (!components) return RegStatus::InvalidParameter;
  std::int64_t id = 0;
  const RegStatus status = FindKey(*components, &id);
  if (status != RegStatus::Success) return status;
  StatementUse erase(statements_->deleteKey);
  erase.Bind(1, id);
  const int rc = erase.Step();
  if (rc != SQLITE_DONE) return NoteWrite(WriteFailure(rc));
  return sqlite3_changes(db_) > 0 ? RegStatus::Success : RegStatus::FileNotFound;
}

RegStatus Registry::QueryKeyClass(RegistryKey key, QString* className) {
  if (!db_) return RegStatus::IoFailed;
  if (className == nullptr) return RegStatus::InvalidParameter;
  StatementUse query(statements_->keyClass);
  query.Bind(1, key.id);
  const int rc = query.Step();
  if (rc == SQLITE_DONE) return RegStatus::KeyDeleted;
  if (rc != SQLITE_ROW) return RegStatus::IoFailed;
  *className = query.Text(0);
  return RegStatus::Success;
}

RegStatus Registry::QueryValue(RegistryKey key, QStringView name, RegType* type,
                               std::uint8_t* data, std::uint32_t* size) {
  if (!db_) return RegStatus::IoFailed;
  if (size == nullptr && data != nullptr) return RegStatus::InvalidParameter;
  if (!ValidName(name)) return RegStatus::InvalidParameter;
  StatementUse query(statements_->queryValue);
  query.Bind(1, key.id);
  query.Bind(2, name.toString().toCaseFolded());
  const int rc = query.Step();
  if (rc == SQLITE_DONE) return KeyExists(key.id) ? RegStatus::FileNotFound : RegStatus::KeyDeleted;
  if (rc != SQLITE_ROW) return RegStatus::IoFailed;

  const std::span<const std::uint8_t> stored = query.Blob(1);
  if (stored.size() > UINT32_MAX) return RegStatus::IoFailed;
  const auto storedSize = static_cast<std::uint32_t>(stored.size());
  if (type) *type = static_cast<RegType>(query.Int(0));
  if (size == nullptr) return RegStatus::Success;
  if (data == nullptr) {
    *size = storedSize;
    return RegStatus::Success;
  }
  const std::uint32_t copied = std::min(*size, storedSize);
  if (copied > 0) std::memcpy(data, stored.data(), copied);
  const bool fits = storedSize <= *size;
  *size = storedSize;
  return fits ? RegStatus::Success : RegStatus::MoreData;
}

RegStatus Registry::SetValue(RegistryKey key, QStringView name, RegType type,
                             std::span<const std::uint8_t> bytes) {
  if (!db_) return RegStatus::IoFailed;
  return NoteWrite(WriteValue(key, name, type, bytes));
}

RegStatus Registry::SetValues(RegistryKey key, std::span<const RegValueWrite> values) {
  if (!db_) return RegStatus::IoFailed;
  for (const RegValueWrite& value : values) {
    if (!ValidName(value.name) || value.bytes.size() > INT_MAX) {
      return NoteWrite(RegStatus::InvalidParameter);
    }
  }
  bool own = false;
  if (const RegStatus begun = BeginOwn(&own); begun != RegStatus::Success) return begun;
  RegStatus status = RegStatus::Success;
  for (const RegValueWrite& value : values) {
    status = WriteValue(key, value.name, value.type, value.bytes);
    if (status != RegStatus::Success) break;
  }
  return EndOwn(own, status);
}

RegStatus Registry::BeginOwn(bool* own) {
  *own = !batchOpen_;
  if (!*own) return RegStatus::Success;
  StatementUse begin(statements_->begin);
  return begin.Step() == SQLITE_DONE ? RegStatus::Success : RegStatus::IoFailed;
}

RegStatus Registry::EndOwn(bool own, RegStatus status) {
  if (!own) return NoteWrite(status);
  if (status == RegStatus::Success) {
    StatementUse commit(statements_->commit);
    if (commit.Step() == SQLITE_DONE) return RegStatus::Success;
    status = RegStatus::IoFailed;
  }
  StatementUse rollback(statements_->rollback);
  rollback.Step();
  return status;
}

RegStatus Registry::NoteWrite(RegStatus status) {
  if (batchOpen_ && status != RegStatus::Success) batchFailed_ = true;
  return status;
}

RegStatus Registry::BeginBatch() {
  if (!db_) return RegStatus::IoFailed;
  if (batchOpen_) return RegStatus::InvalidParameter;
  StatementUse begin(statements_->begin);
  if (begin.Step() != SQLITE_DONE) return RegStatus::IoFailed;
  batchOpen_ = true;
  batchFailed_ = false;
  return RegStatus::Success;
}

RegStatus Registry::CommitBatch() {
  if (!batchOpen_) return RegStatus::InvalidParameter;
  batchOpen_ = false;
  return EndOwn(true, batchFailed_ ? RegStatus::IoFailed : RegStatus::Success);
}

RegStatus Registry::WriteValue(RegistryKey key, QStringView name, RegType type,
                               std::span<const std::uint8_t> bytes) {
  if (!ValidName(name) || bytes.size() > INT_MAX) return RegStatus::InvalidParameter;
  StatementUse set(statements_->setValue);
  set.Bind(1, key.id);
  set.Bind(2, name);
  set.Bind(3, name.toString().toCaseFolded());
  set.Bind(4, static_cast<std::int64_t>(type));
  set.Bind(5, bytes);
  const int rc = set.Step();
  return rc == SQLITE_DONE ? RegStatus::Success : WriteFailure(rc);
}

RegStatus Registry::DeleteValue(RegistryKey key, QStringView name) {
  if (!db_) return RegStatus::IoFailed;
  if (!ValidName(name)) return RegStatus::InvalidParameter;
  StatementUse erase(statements_->deleteValue);
  erase.Bind(1, key.id);
  erase.Bind(2, name.toString().toCaseFolded());
  const int rc = erase.Step();
  if (rc != SQLITE_DONE) return NoteWrite(WriteFailure(rc));
  if (sqlite3_changes(db_) > 0) return RegStatus::Success;
  return KeyExists(key.id) ? RegStatus::FileNotFound : RegStatus::KeyDeleted;
}

RegStatus Registry::EnumValue(RegistryKey key, std::uint32_t index, QString* name) {
  if (!db_) return RegStatus::IoFailed;
  if (name == nullptr) return RegStatus::InvalidParameter;
  StatementUse query(statements_->enumValue);
  query.Bind(1, key.id);
  query.Bind(2, static_cast<std::int64_t>(index));
  const int rc = query.Step();
  if (rc == SQLITE_DONE) return KeyExists(key.id) ? RegStatus::NoMoreItems : RegStatus::KeyDeleted;
  if (rc != SQLITE_ROW) return RegStatus::IoFailed;
  *name = query.Text(0);
  return RegStatus::Success;
}

}  // namespace cw
