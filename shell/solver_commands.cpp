#include "shell/solver_commands.h"

#include <QWidget>  // complete for the window library's inline accessors

#include "engine/rules/player_move.h"
#include "platform/resources/resource_ids.h"
#include "platform/resources/string_table.h"
#include "shell/search_wait.h"
#include "uilib/message_box.h"

namespace cw {
namespace {

// The searching thread's own game: it carries no call back into the window.
SolGame SearchCopy(const SolGame& game) {
  SolGame copy = game;
  copy.onJournalAppend = nullptr;
  return copy;
}

void Tell(CeMsgWnd* owner, int titleStringId, const QString& text) {
  MessageBox(owner, text, LoadString(titleStringId), MB_OK);
}

QString DeadPositionText(const PositionAssessment& assessment) {
  if (!assessment.undoToWinnable) return LoadString(string_id::kCannotBeWon);
  if (*assessment.undoToWinnable == 1) return LoadString(string_id::kCannotBeWonUndoOne);
  return LoadString(string_id::kCannotBeWonUndoMany).arg(*assessment.undoToWinnable);
}

}  // namespace

void SolverCommands::TellWhetherWinnable(CeMsgWnd* owner, const SolGame& game) {
  if (!game.HasPlayState()) return;
  const SolGame copy = SearchCopy(game);
  PositionAssessment assessment;
  const bool finished = RunSearch(
      owner,
      [&](SearchSignals& search) {
        assessment = AssessPosition(copy, budgets_.position, &search.cancel,
                                    [&search](std::uint64_t nodes) { search.nodes.store(nodes); });
      },
      string_id::kSearchProgressText, budgets_.grace);
  if (!finished || !SamePosition(copy, game)) return;
  QString text;
  switch (assessment.verdict) {
    case SolveVerdict::kWinnable: text = LoadString(string_id::kCanBeWon); break;
    case SolveVerdict::kUnwinnable: text = DeadPositionText(assessment); break;
    case SolveVerdict::kUndecided: text = LoadString(string_id::kUndecided); break;
  }
  Tell(owner, string_id::kCanBeWonTitle, text);
}

std::optional<MoveReference> SolverCommands::WinningMove(CeMsgWnd* owner, const SolGame& game) {
  if (!game.HasPlayState()) return std::nullopt;
  if (hintLine_ && !hintLine_->moves.empty() && SamePosition(hintLine_->from, game)) {
    return NextMoveOfLine();
  }
  SolGame copy = SearchCopy(game);
  SolveResult result;
  const bool finished = RunSearch(
      owner,
      [&](SearchSignals& search) {
        result = Solve(copy, budgets_.position, &search.cancel,
                       [&search](std::uint64_t nodes) { search.nodes.store(nodes); });
      },
      string_id::kSearchProgressText, budgets_.grace);
  if (!finished || !SamePosition(copy, game)) return std::nullopt;
  if (result.verdict == SolveVerdict::kWinnable && !result.moves.empty()) {
    hintLine_ = HintLine{std::move(copy), std::move(result.moves)};
    return NextMoveOfLine();
  }
  hintLine_.reset();
  Tell(owner, string_id::kWinningMoveTitle,
       LoadString(result.verdict == SolveVerdict::kUnwinnable ? string_id::kNoWinningMove
                                                               : string_id::kUndecided));
  return std::nullopt;
}

std::optional<MoveReference> SolverCommands::NextMoveOfLine() {
  const MoveReference move = hintLine_->moves.front();
  hintLine_->moves.erase(hintLine_->moves.begin());
  if (!PerformPlayerMove(hintLine_->from, move, nullptr)) hintLine_.reset();
  return move;
}

std::optional<std::uint32_t> SolverCommands::WinnableDeal(CeMsgWnd* owner, const SolGame& game,
                                                          std::uint32_t firstNumber) {
  SolGame definitionOnly;
  definitionOnly.definition = game.definition;
  std::optional<std::uint32_t> number;
  const bool finished = RunSearch(
      owner,
      [&](SearchSignals& search) {
        number = FindWinnableDeal(definitionOnly, firstNumber, budgets_.perDeal, budgets_.dealAttempts,
                                  &search.cancel);
      },
      string_id::kDealSearchText, budgets_.grace);
  if (!finished) return std::nullopt;
  if (!number) Tell(owner, string_id::kWinnableDealsTitle, LoadString(string_id::kNoWinnableDeal));
  return number;
}

}  // namespace cw
