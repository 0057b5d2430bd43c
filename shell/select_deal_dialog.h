// Select Deal: asks for the number of a deal to play, so that a deal can be
// played again or shared.
#pragma once

#include <cstdint>
#include <optional>

#include <QString>

#include "uilib/ce_dialog.h"

class QLineEdit;

namespace cw {

// The deal number a text names: a whole number from 1 to 4294967295,
// spaces around it allowed; none for anything else.
std::optional<std::uint32_t> ParseDealNumber(const QString& text);

class SelectDealDialog : public CeDialog {
 public:
  static constexpr unsigned kTextControl = 1005;
  static constexpr unsigned kNumberControl = 1008;

  // `current` is offered in the box.
  explicit SelectDealDialog(std::uint32_t current);

  // The number entered, when the dialog ended with OK on a valid number;
  // OK on anything else keeps the dialog open.
  std::optional<std::uint32_t> Run(CeMsgWnd* owner);

  void OnInitDialog(bool& handled) override;
  void OnCommand(unsigned id, unsigned code, bool& handled) override;

 private:
  std::uint32_t current_;
  QLineEdit* edit_ = nullptr;
  std::optional<std::uint32_t> entered_;
};

}  // namespace cw
