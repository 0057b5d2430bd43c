#include "shell/widen_name.h"

#include <string>

namespace cw {

QString WidenName(std::string_view narrow) {
  QString wide;
  wide.reserve(static_cast<qsizetype>(narrow.size()));
  for (const char byte : narrow) wide.append(QChar(static_cast<char16_t>(static_cast<unsigned char>(byte) & 0x7F)));
  return wide;
}

QString RulesHtml(std::string_view rulesText) {
  std::string html;
  html.reserve(rulesText.size());
  for (const char c : rulesText) {
    if (c == '\n') {
      html += "<br>";
    } else {
      html += c;
    }
  }
  return WidenName(html);
}

}  // namespace cw
