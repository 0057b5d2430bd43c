// The rule programs of "Seven by Five", written out in instruction names.
#pragma once

#include <string_view>

namespace cw::test {

// Never passes (the condition of event 0).
inline constexpr std::string_view kNeverPasses = "PUSH 1";

// Tableau pick-up: exactly one card may be picked up.
inline constexpr std::string_view kSingleCardPickUp =
    "BEGIN PUSH 1 DO SUIT IF DROP PUSH 0 PUSH 0 BREAK ENDIF DUP IF DROP SUIT RANK BREAK ENDIF "
    "PUSH 1 SUB NEXT LOOP RESET OTHER LEAVE END ABS SWAP ABS ADD";

// Pick-up from cells and foundations.
inline constexpr std::string_view kAlwaysPasses = "PUSH 0";

// Tableau acceptance: an empty pile, or the picked card one rank below the
// destination's top card and of the other colour.
inline constexpr std::string_view kTableauAccept =
    "BEGIN OTHER PUSH 0 DO SUIT IF DROP PUSH 0 PUSH 0 BREAK ENDIF DUP IF DROP SUIT RANK BREAK "
    "ENDIF PUSH 1 SUB NEXT LOOP RESET OTHER LEAVE END BEGIN PUSH 0 SAVE2 END ABS SWAP ABS ADD "
    "IF PUSH 0 LEAVE ENDIF BEGIN PUSH 0 LOAD END BEGIN PUSH 0 DO SUIT IF BREAK ENDIF SUIT RANK "
    "NEXT LOOP PUSH 0 DO SWAP DUP IF DROP DROP PUSH 0 PUSH 0 RESET LEAVE ENDIF SWAP DUP IF BREAK "
    "ENDIF PUSH 1 SUB SINK DROP DROP RAISE LOOP DROP SINK SINK DO IF BREAK ENDIF DROP LOOP RAISE "
    "RAISE RESET LEAVE END BEGIN PUSH 1 SAVE2 END BEGIN SWAP DROP SUB PUSH 1 SUB IF PUSH 0 ELSE "
    "PUSH 1 ENDIF SWAP DROP LEAVE END BEGIN PUSH 0 LOAD END BEGIN PUSH 1 LOAD END BEGIN DROP SWAP "
    "DROP PUSH 1 SUB PUSH 2 DIV SINK PUSH 1 SUB PUSH 2 DIV RAISE SUB ABS PUSH 1 SUB ABS LEAVE END "
    "ADD";

// Cell acceptance: only an empty cell.
inline constexpr std::string_view kCellAccept =
    "BEGIN OTHER PUSH 0 DO SUIT IF DROP PUSH 0 PUSH 0 BREAK ENDIF DUP IF DROP SUIT RANK BREAK "
    "ENDIF PUSH 1 SUB NEXT LOOP RESET OTHER LEAVE END ABS SWAP ABS ADD";

// Foundation acceptance: an ace on an empty pile, or the next rank of the
// top card's suit.
inline constexpr std::string_view kFoundationAccept =
    "BEGIN OTHER PUSH 0 DO SUIT IF DROP PUSH 0 PUSH 0 BREAK ENDIF DUP IF DROP SUIT RANK BREAK "
    "ENDIF PUSH 1 SUB NEXT LOOP RESET OTHER LEAVE END BEGIN PUSH 0 SAVE2 END ABS SWAP ABS ADD "
    "BEGIN PUSH 0 DO SUIT IF BREAK ENDIF SUIT RANK NEXT LOOP PUSH 0 DO SWAP DUP IF DROP DROP "
    "PUSH 0 PUSH 0 RESET LEAVE ENDIF SWAP DUP IF BREAK ENDIF PUSH 1 SUB SINK DROP DROP RAISE LOOP "
    "DROP SINK SINK DO IF BREAK ENDIF DROP LOOP RAISE RAISE RESET LEAVE END BEGIN PUSH 1 SAVE2 "
    "END SWAP DROP PUSH 1 SUB ABS ADD IF PUSH 0 LEAVE ENDIF BEGIN PUSH 0 LOAD END BEGIN PUSH 1 "
    "LOAD END BEGIN SWAP DROP SUB PUSH 1 ADD IF PUSH 0 ELSE PUSH 1 ENDIF SWAP DROP LEAVE END "
    "BEGIN PUSH 0 LOAD END BEGIN PUSH 1 LOAD END BEGIN DROP SWAP DROP SUB IF PUSH 0 ELSE PUSH 1 "
    "ENDIF LEAVE END ADD";

// Passes when list A is empty.
inline constexpr std::string_view kListEmpty = "SUIT RANK ADD";

}  // namespace cw::test
