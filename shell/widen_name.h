// Names and texts of a game definition as the player sees them.
#pragma once
#include <QString>
#include <string_view>

namespace cw {

// Each byte becomes one UTF-16 unit of its low seven bits.
QString WidenName(std::string_view narrow);

// The definition's rules text as the rules viewer shows it: every line break
// a "<br>", then widened.
QString RulesHtml(std::string_view rulesText);

}  // namespace cw
