// The per-user registry (HKEY_CURRENT_USER) kept in one SQLite file: keys with
// class strings, opened or created by a backslash-separated path whose
// components compare without regard to case, holding typed values that are
// read into a caller's buffer. Every write is one transaction, so a crash never
// leaves a torn value, and several processes may use the file at once.
//
// Failures are answered with a status code, never thrown: the program reads
// defaults where a read fails.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include <QList>
#include <QString>
#include <QStringView>

struct sqlite3;

namespace cw {

// Status codes, numbered as the system's error codes they stand for.
enum class RegStatus : std::int32_t {
  Success = 0,
  FileNotFound = 2,        // no such key or value
  InvalidParameter = 87,   // an empty or over-long path component, a missing size
  MoreData = 234,          // the caller's buffer is smaller than the value
  NoMoreItems = 259,       // an enumeration index past the last item
  IoFailed = 1016,         // the file could not be read or written
  KeyDeleted = 1018,       // the key was deleted after it was opened
};

// Value types, numbered as the system's. Other numbers are kept as stored.
enum class RegType : std::uint32_t {
  None = 0,
  Binary = 3,
  Dword = 4,  // by convention four bytes, little-endian; any length is stored as given
};

enum class RegDisposition : std::uint32_t {
  CreatedNewKey = 1,
  OpenedExistingKey = 2,
};

// One value of a batch written by Registry::SetValues.
struct RegValueWrite {
  QStringView name;
  RegType type = RegType::None;
  std::span<const std::uint8_t> bytes;
};

// An open key. It stays valid until the key is deleted; nothing needs closing.
struct RegistryKey {
  std::int64_t id = 0;
};

class Registry {
 public:
  // `CARDWRIGHT_REGISTRY` when set, else $XDG_DATA_HOME/cardwright/registry.sqlite3
  // (~/.local/share when XDG_DATA_HOME is unset, empty or relative).
  static QString DefaultLocation();

  // Opens the registry at DefaultLocation().
  Registry();
  // Opens or creates the registry file `file`. A file that cannot be opened or
  // is damaged (not a database, failing its quick check, or holding another
  // schema) is renamed with a ".damaged-<UTC time>" suffix and a fresh file is
  // started; see TakeSetAsideNotice. When no file can be used at all every
  // call answers IoFailed.
  explicit Registry(const QString& file);
  ~Registry();
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  bool IsOpen() const { return db_ != nullptr; }
  const QString& FileName() const { return file_; }

  // The new name of a damaged file that was set aside when this registry was
  // opened. Answered once, so the player is told once; later calls answer none.
  std::optional<QString> TakeSetAsideNotice();

  // Opens the key at `path` below HKEY_CURRENT_USER, creating it and any
  // missing parent with class `className`. `disposition` may be null.
  RegStatus CreateKey(QStringView path, QStringView className, RegistryKey* key,
                      RegDisposition* disposition);
  // Opens an existing key; FileNotFound when it does not exist.
  RegStatus OpenKey(QStringView path, RegistryKey* key);
  // Deletes the key at `path` with all its subkeys and values.
  RegStatus DeleteKey(QStringView path);
  // The class string the key was created with.
  RegStatus QueryKeyClass(RegistryKey key, QString* className);

  // Reads value `name`. With `data` null, `*size` receives the value's length.
  // Otherwise `*size` is the buffer's length on entry: when the value fits it is
  // copied and `*size` becomes its length; when it does not, the buffer receives
  // the value's first `*size` bytes, `*size` becomes the length needed and the
  // answer is MoreData. `type` may be null. Value names ignore case.
  RegStatus QueryValue(RegistryKey key, QStringView name, RegType* type, std::uint8_t* data,
                       std::uint32_t* size);
  // Creates or replaces value `name`; a replaced value keeps its place in the
  // enumeration order.
  RegStatus SetValue(RegistryKey key, QStringView name, RegType type,
                     std::span<const std::uint8_t> bytes);
  // Creates or replaces several values of one key in a single transaction:
  // after a crash the key holds either all of them or none of the new ones.
  RegStatus SetValues(RegistryKey key, std::span<const RegValueWrite> values);
  RegStatus DeleteValue(RegistryKey key, QStringView name);

  // Makes every write until CommitBatch one transaction, so that values of
  // several keys change together: after a crash the file holds all of them or
  // none. A write that fails inside the batch makes CommitBatch roll the whole
  // batch back and answer the failure. Batches do not nest.
  RegStatus BeginBatch();
  RegStatus CommitBatch();
  // The name of the value at `index` in the order the values were first written.
  RegStatus EnumValue(RegistryKey key, std::uint32_t index, QString* name);

 private:
  struct Statements;
  enum class OpenResult { Ready, Damaged, Unavailable };

  OpenResult OpenFile();
  OpenResult QuickCheck();
  OpenResult PrepareSchema();
  void CloseFile();
  bool SetAside();
  RegStatus FindKey(const QList<QStringView>& components, std::int64_t* id);
  RegStatus CreateMissingKeys(const QList<QStringView>& components, QStringView className,
                              std::int64_t* id, bool* created);
  bool KeyExists(std::int64_t id);
  RegStatus WriteValue(RegistryKey key, QStringView name, RegType type,
                       std::span<const std::uint8_t> bytes);
  // Begins the transaction of one call unless a batch holds one already;
  // `*own` tells whether it began one.
  RegStatus BeginOwn(bool* own);
  // Ends what BeginOwn began: commits when `status` is Success, else rolls
  // back. Inside a batch a failure marks the batch instead.
  RegStatus EndOwn(bool own, RegStatus status);
  // A write that failed inside a batch marks the batch.
  RegStatus NoteWrite(RegStatus status);

  QString file_;
  sqlite3* db_ = nullptr;
  std::unique_ptr<Statements> statements_;
  std::optional<QString> setAsideNotice_;
  bool batchOpen_ = false;
  bool batchFailed_ = false;
};

}  // namespace cw
