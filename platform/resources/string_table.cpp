#include "platform/resources/string_table.h"

#include <QFile>
#include <QtGlobal>

namespace cw {
namespace {

constexpr char kStringTablePath[] = ":/cw/strings/strings.tsv";

std::optional<QString> Unescape(QByteArrayView text) {
  QByteArray bytes;
  bytes.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\\') {
      bytes.append(c);
      continue;
    }
    if (++i == text.size()) return std::nullopt;
    switch (text[i]) {
      case 'n':
        bytes.append('\n');
        break;
      case 't':
        bytes.append('\t');
        break;
      case '\\':
        bytes.append('\\');
        break;
      default:
        return std::nullopt;
    }
  }
  return QString::fromUtf8(bytes);
}

const QHash<int, QString>& OwnStrings() {
  static const QHash<int, QString> table = [] {
    QFile file(kStringTablePath);
    if (!file.open(QIODevice::ReadOnly)) qFatal("the string table is not compiled in");
    QString error;
    std::optional<QHash<int, QString>> parsed = ParseStringTable(file.readAll(), &error);
    if (!parsed) qFatal("the compiled-in string table is malformed: %s", qUtf8Printable(error));
    return *std::move(parsed);
  }();
  return table;
}

}  // namespace

std::optional<QHash<int, QString>> ParseStringTable(QByteArrayView source, QString* error) {
  QHash<int, QString> table;
  const auto fail = [error](qsizetype line, const QString& reason) {
    if (error != nullptr) *error = QStringLiteral("line %1: %2").arg(line).arg(reason);
    return std::nullopt;
  };
  qsizetype lineNumber = 0;
  qsizetype start = 0;
  while (start < source.size()) {
    ++lineNumber;
    qsizetype end = source.indexOf('\n', start);
    if (end < 0) end = source.size();
    QByteArrayView line = source.sliced(start, end - start);
    start = end + 1;
    if (line.endsWith('\r')) line.chop(1);
    if (line.isEmpty() || line.startsWith('#')) continue;
    const qsizetype tab = line.indexOf('\t');
    if (tab < 0) return fail(lineNumber, QStringLiteral("no tab after the id"));
    bool ok = false;
    const int id = line.first(tab).toInt(&ok);
    if (!ok || id < 0 || id > 0xFFFF) return fail(lineNumber, QStringLiteral("bad id"));
    if (table.contains(id)) return fail(lineNumber, QStringLiteral("id %1 given twice").arg(id));
    std::optional<QString> text = Unescape(line.sliced(tab + 1));
    if (!text) return fail(lineNumber, QStringLiteral("bad escape"));
    table.insert(id, *std::move(text));
  }
  return table;
}

QString LoadString(int id) {
  const QHash<int, QString>& own = OwnStrings();
  const auto found = own.constFind(id);
  return found != own.cend() ? *found : QString();
}

}  // namespace cw
