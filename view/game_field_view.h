// The game field: the child window that shows the table, lets the player
// move cards with the pointer or the keys, and shows what the engine reports
// it did, sliding moved cards when animation is on.
#pragma once

#include <QWidget>  // complete for the window library's inline accessors
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

#include "engine/model/sol_game.h"
#include "engine/rules/automatic_events.h"
#include "engine/rules/redo.h"
#include "platform/gdi/font_style.h"
#include "platform/gdi/surface.h"
#include "platform/screen/screen_facts.h"
#include "uilib/ce_wnd.h"
#include "view/card_images.h"
#include "view/change_list.h"
#include "view/field_layout.h"
#include "view/field_options.h"
#include "view/hit_map.h"
#include "view/keyboard_grid.h"

namespace cw {

inline constexpr std::uint16_t kNoSelection = 0xFFFF;

class GameFieldView : public CeWnd {
 public:
  explicit GameFieldView(const ScreenFacts& screen);
  ~GameFieldView() override;

  // Creates the window over the whole client area of `parent` (which hears
  // WM_CHECKSTATE after every finished move) and its field buffer.
  bool CreateGameField(CeMsgWnd& parent);

  // The engine object the table comes from; owned by the caller.
  void SetGame(SolGame* game) { game_ = game; }
  // How the field is shown and played; the defaults until set.
  void SetOptions(const FieldOptions& options) { options_ = options; }
  // The history the player's moves are made through, so that undone moves
  // can be redone; owned by the caller. Without it moves are made plainly.
  void SetMoveHistory(MoveHistory* history) { history_ = history; }
  // Whole seconds played in the current game, for the on-table clock.
  void SetElapsedSeconds(std::function<std::uint32_t()> elapsed) { elapsed_ = std::move(elapsed); }

  // Pauses of the slide frames and of the hint blink steps.
  void SetFramePause(std::chrono::milliseconds pause) { framePause_ = pause; }
  void SetFlashPause(std::chrono::milliseconds pause) { flashPause_ = pause; }
  // The clock that times a selection (whole seconds); the system clock by default.
  void SetSecondsClock(std::function<std::int64_t()> clock) { secondsClock_ = std::move(clock); }

  // The whole table again from the engine (after a deal, undo, restore or a
  // change of game), then the card metrics, card images and draw order.
  void RebuildMirror();
  void ResetLayout();

  // Brings the field buffer up to date; `RefreshField` repaints it from
  // scratch and shows it.
  void PaintField();
  void RefreshField();
  // Shows the clock's new second: only the clock's rectangle is drawn again
  // and repainted, unless the whole field is due a repaint anyway.
  void RefreshClock();
  // Where the clock shows, in device pixels of the field.
  QRect ClockRect() const;
  // The next PaintField repaints the whole buffer.
  void MarkDirty() { dirty_ = true; }

  void ClearSelection();
  std::uint16_t SelectedPile() const { return selectedPile_; }
  std::uint16_t SelectedIndex() const { return selectedIndex_; }
  bool Dragging() const { return dragging_; }
  // Puts dragged cards back home and lets the pointer go, so that a modal box
  // opened now takes the player's clicks.
  void CancelPointer();
  // The piles marked, while a drag lasts, as taking the dragged cards.
  const std::vector<std::uint16_t>& MarkedPiles() const { return markedPiles_; }

  // Shows the engine's reported changes on the mirror, in order, sliding
  // moved cards when animation is on; changes that do not fit are skipped.
  void ReplayChanges(ChangeList& changes);
  // Blinks a hint: a card then its destination pile, or a pile (target
  // kNoReference) whose tap would act.
  void FlashMove(std::uint16_t source, std::uint16_t target);

  // Keyboard play (the main window hands the keys over in the keyboard modes).
  void BuildKeyboardGrid(GridChoice choice);
  void ClearKeyboardGrid();
  bool HasKeyboardGrid() const { return grid_.Exists(); }
  // Handles Enter and the arrow keys; false for every other key and while no
  // grid exists.
  bool OnFieldKeyDown(unsigned virtualKey);
  const KeyboardGrid& Grid() const { return grid_; }

  const FieldLayout& Layout() const { return layout_; }
  const HitMap& Hits() const { return hitMap_; }
  const Surface& FieldBuffer() const { return buffer_; }
  const CardImageCache& CardImages() const { return cache_; }
  const ScreenFacts& Screen() const { return screen_; }

 protected:
  void OnLButtonDblClk(int x, int y, bool& handled) override;
  void OnLButtonDown(int x, int y, bool& handled) override;
  void OnLButtonUp(int x, int y, bool& handled) override;
  void OnMouseMove(int x, int y, bool& handled) override;
  void OnEraseBkgnd(QPainter& painter, const QRect& dirty, bool& handled) override;
  void OnPaint(QPainter& painter, const QRect& dirty, bool& handled) override;
  LRESULT OnMessage(unsigned msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  PlayMode Mode() const { return options_.playMode; }
  QRect ClientRect() const;
  // Lays the table out again for a new size of the field.
  void FitToClient(const QRect& client);
  // Grows or shrinks the table to the card size the field's new size allows.
  void RefitTable();
  // The whole table (and the picture under the clock) on `target`.
  void DrawTable(Surface& target);
  void PaintPiles(Surface& target);
  QRgb TimerColour() const;
  void DrawTimerText(Surface& target);
  void DrawKeyboardCursor(Surface& target);
  // Paints the field straight onto the window's own picture, without a buffer
  // of the field's: the whole table, or the clock's tick alone. False when
  // the paint needs the buffer after all.
  bool PaintOnWindow(QPainter& painter, const QRect& dirty);
  void PresentBuffer();
  void PauseFor(std::chrono::milliseconds pause) const;
  std::int64_t NowSeconds() const;
  bool IsSelectableCard(const CardSlot& slot) const;

  // The player's move, made by the engine with its automatic events; the
  // move's own changes (a card move first: the player's run) come back for
  // the replay, the automatic ones wait for FinishMove.
  bool EngineMove(const MoveReference& move, ChangeList& changes);
  bool EngineDrop(std::uint16_t card, std::uint16_t pile, ChangeList& changes) {
    return EngineMove({card, pile}, changes);
  }
  bool EngineTap(std::uint16_t pile, ChangeList& changes) { return EngineMove({pile, kNoReference}, changes); }
  // Replays the automatic moves that followed the move, then the owner's check.
  void FinishMove();
  // Moves the run on the mirror, sliding it when animation is on.
  void AnimateMove(const CardsMoved& move);
  // A double click's move: the card under the pointer to the first
  // foundation that takes it. False when there is none.
  bool SendCardHome(int x, int y);
  void SelectCard(std::uint16_t pile, std::uint16_t index);
  std::optional<std::uint16_t> CardOf(std::uint16_t pile, std::uint16_t index) const;

  bool TappingPenDown(int x, int y);
  bool DragPenDown(int x, int y);
  void DragMove(int x, int y);
  void Drop(int x, int y);
  void StartDrag(int x, int y);
  void EndDrag();
  // Frames, on the field under the dragged cards, each pile that would take them.
  void MarkAcceptingPiles();
  // Slides the dragged image from where it was let go back to its place.
  void SlideBack(const GroupImage& image, Surface& under, QPoint from, QPoint home);
  // The pile's tap; a finished move when it changed anything.
  bool TapAction(std::uint16_t pile);
  void FlashRecord(std::uint16_t pile, std::uint16_t index);

  void KeyboardEnter();
  void RecordSelectables();

  ScreenFacts screen_;
  SolGame* game_ = nullptr;
  FieldOptions options_;
  MoveHistory* history_ = nullptr;
  // What the automatic events did after the last move, and whether they did
  // anything at all (some actions change nothing the table shows).
  ChangeList automaticChanges_;
  bool automaticActed_ = false;
  CeMsgWnd* owner_ = nullptr;
  std::function<std::uint32_t()> elapsed_;
  std::function<std::int64_t()> secondsClock_;
  std::chrono::milliseconds framePause_{12};
  std::chrono::milliseconds flashPause_{200};

  FieldLayout layout_;
  HitMap hitMap_;
  CardImageCache cache_;
  FontStyle timerFont_;

  // The field's own picture, for what is drawn over the table between
  // paints (slides, drags, blinks, drop marks). It is made when first
  // needed: until then each paint draws the table straight onto the window.
  Surface buffer_;
  // The field's size the table is laid out for.
  QRect laidOutClient_;
  bool dirty_ = true;
  bool suppressTimer_ = false;

  bool pointerDown_ = false;
  QPoint penDown_;
  std::uint16_t hitPile_ = kNoReference;
  std::uint16_t hitIndex_ = kNoReference;
  QRect hitRect_;
  std::uint16_t downCard_ = kNoReference;
  std::uint16_t selectedPile_ = kNoSelection;
  std::uint16_t selectedIndex_ = kNoSelection;
  std::int64_t selectionTime_ = 0;

  bool dragging_ = false;
  std::vector<CardSlot> draggedSlots_;
  GroupImage dragImage_;
  Surface saveUnder_;
  // The field under the clock without its digits, as last drawn in full:
  // each second's digits are drawn on it rather than on the last ones.
  Surface underClock_;
  QPoint dragOffset_;
  QPoint dragPosition_;
  std::vector<std::uint16_t> markedPiles_;

  KeyboardGrid grid_;
};

}  // namespace cw
