// The program's string table: every text the player sees that is not a
// literal of its own. Compiled in from resources/strings/strings.tsv. The
// game names are not here: the catalogue reads them from the game database.
#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <optional>

namespace cw {

// String `id`, or an empty string when the table has no such entry.
QString LoadString(int id);

// Parses a string table in the source form: one "id<TAB>text" per line,
// lines starting with '#' and empty lines ignored, "\n", "\t" and "\\" in a
// text standing for a line break, a tab and a backslash. Answers none (and
// the line and reason in `error`) for a malformed line, an id outside
// 0..65535 or an id given twice.
std::optional<QHash<int, QString>> ParseStringTable(QByteArrayView source,
                                                    QString* error = nullptr);

}  // namespace cw
