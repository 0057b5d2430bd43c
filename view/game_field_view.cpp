#include "view/game_field_view.h"

#include <QPainter>
#include <QString>
#include <algorithm>
#include <thread>

#include "engine/rules/automatic_events.h"
#include "engine/rules/foundation_drop.h"
#include "engine/rules/legality.h"
#include "engine/rules/player_move.h"
#include "platform/gdi/colorref.h"
#include "uilib/messages.h"
#include "view/display_metrics.h"
#include "view/scaled_card_art.h"
#include "view/table_scale.h"

namespace cw {

namespace {

// Pen movement below this many pixels in both directions is still a tap.
constexpr int kDragThreshold = 4;
// A second tap on the selected card within this many seconds is a tap action.
constexpr std::int64_t kSecondTapSeconds = 2;
constexpr int kSlideFrames = 4;
constexpr int kSlideDivisions = 5;
constexpr int kFlashFrames = 4;
constexpr QRgb kTimerColour = qRgb(0, 0, 0);
constexpr QRgb kLightTimerColour = qRgb(255, 255, 255);
// The brightness (0-255) below which a table counts as dark; the standard
// green has 75.
constexpr int kDarkTableLuma = 72;
constexpr QRgb kCursorColour = qRgb(0, 0, 0xFF);
// The frame around each pile that would take the dragged cards, as wide as
// this build's cards have it and grown with the cards of a grown table.
constexpr QRgb kDropMarkColour = qRgb(0xFF, 0xD7, 0x00);
constexpr int kDropMarkWidth = 2;

}  // namespace

GameFieldView::GameFieldView(const ScreenFacts& screen) : screen_(screen) {
  timerFont_.height = (screen.logPixelsY + 3) * 16 / 96;
  timerFont_.weight = 700;
}

GameFieldView::~GameFieldView() = default;

bool GameFieldView::CreateGameField(CeMsgWnd& parent) {
  if (!CreateChild(parent, parent.GetClientRect(), QStringLiteral("SolGameField"))) return false;
  owner_ = &parent;
  SetWantsDoubleClicks(true);
  // The table is laid out for this size, but the buffer waits until the
  // field needs it (see PaintOnWindow): until the window is shown its
  // parent's layout may still resize it, and a big buffer made for nothing
  // costs the start dearly.
  laidOutClient_ = ClientRect();
  return true;
}

QRect GameFieldView::ClientRect() const { return GetClientRect(); }

std::int64_t GameFieldView::NowSeconds() const {
  if (secondsClock_) return secondsClock_();
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

void GameFieldView::PauseFor(std::chrono::milliseconds pause) const {
  if (pause.count() > 0) std::this_thread::sleep_for(pause);
}

// ---- mirror and layout ----

void GameFieldView::RebuildMirror() {
  if (dragging_) EndDrag();
  layout_ = FieldLayout();
  if (game_ == nullptr || game_->definition.piles.empty()) {
    dirty_ = true;
    return;
  }
  layout_.large = game_->definition.layoutVariant == 1;
  layout_.piles = MirrorTable(*game_);
  dirty_ = true;
}

void GameFieldView::ResetLayout() {
  cache_.Clear();
  layout_.drawOrder.clear();
  if (game_ != nullptr && layout_.HasPiles()) {
    FitLayoutToField(layout_, *game_, screen_, laidOutClient_.width(), laidOutClient_.height());
    cache_.Build(layout_, screen_);
  }
  ClearSelection();
}

// ---- painting ----

void GameFieldView::FitToClient(const QRect& client) {
  laidOutClient_ = client;
  dirty_ = true;
  RefitTable();
}

void GameFieldView::RefitTable() {
  if (game_ == nullptr || layout_.drawOrder.empty()) return;
  const int width = ChooseCardWidth(layout_.scaleDen, laidOutClient_.width(), laidOutClient_.height(), screen_);
  if (width == layout_.cardWidth) return;
  if (dragging_) EndDrag();
  FitLayoutToField(layout_, *game_, screen_, laidOutClient_.width(), laidOutClient_.height());
  cache_.Build(layout_, screen_);
  // The keyboard cursor's places were those of the old card size.
  if (grid_.Exists()) ClearKeyboardGrid();
}

bool GameFieldView::IsSelectableCard(const CardSlot& slot) const {
  if (game_ == nullptr || slot.card >= game_->cards.size()) return false;
  const CardState& state = game_->cards[slot.card];
  return state.movable != 0 || state.open == 0;
}

void GameFieldView::PaintPiles(Surface& target) {
  const int width = target.Width();
  const int height = target.Height();
  const std::uint32_t back = options_.cardBack;
  hitMap_.Clear();
  WalkField(layout_, width, height, [&](const PaintedItem& item) {
    const PileView& pile = layout_.piles[item.pile];
    if (item.slot != nullptr) {
      cache_.DrawCard(target, *item.slot, back, item.at);
    } else if (item.drawn) {
      DrawEmptyMark(target, item.at, pile, layout_, screen_);
    }
    if (item.recorded) {
      HitRecord record{item.at.x(), item.at.y(), item.at.x() + layout_.cardWidth,
                       item.at.y() + layout_.cardHeight, item.pile, item.index, 0};
      if (item.slot == nullptr) {
        record.selectable = pile.kind == PileKind::kInert ? 0 : 1;
      } else {
        record.selectable = IsSelectableCard(*item.slot) ? 1 : 0;
      }
      hitMap_.Add(record);
    }
    if (item.drawn && item.pile == selectedPile_ && item.index == selectedIndex_) {
      target.InvertRect(QRect(item.at.x(), item.at.y(), layout_.cardWidth, layout_.cardHeight));
    }
  });
}

void GameFieldView::DrawTable(Surface& target) {
  target.FillRect(QRect(0, 0, target.Width(), target.Height()), FromColorRef(options_.bgColor));
  if (!layout_.drawOrder.empty()) PaintPiles(target);
  if ((Mode() == PlayMode::kKeyboardCardWise || Mode() == PlayMode::kKeyboardPileWise) && grid_.Exists()) {
    DrawKeyboardCursor(target);
  }
  const QRect clock = ClockRect();
  underClock_.Create(clock.width(), clock.height());
  underClock_.Copy(target, clock, QPoint(0, 0));
}

void GameFieldView::PaintField() {
  const QRect client = ClientRect();
  if (client != laidOutClient_) FitToClient(client);
  if (buffer_.Image().size() != client.size()) {
    buffer_.Create(client.width(), client.height());
    dirty_ = true;
  }
  if (dirty_) {
    DrawTable(buffer_);
    dirty_ = false;
  }
  if (options_.showTimer && !suppressTimer_) {
    if (dragging_) buffer_.Draw(underClock_, ClockRect().topLeft());
    DrawTimerText(buffer_);
    if (dragging_) buffer_.Draw(dragImage_.image, dragPosition_);
  }
}

QRect GameFieldView::ClockRect() const {
  const int right = laidOutClient_.width();
  const int bottom = laidOutClient_.height();
  // The clock grows with the cards of a grown table.
  const auto grown = [this](int pixels) { return pixels * layout_.scaleNum / layout_.scaleDen; };
  return RectFromLTRB(right - grown(screen_.ScaleX(70)), bottom - grown(screen_.ScaleY(20)),
                      right - grown(screen_.ScaleX(10)), bottom);
}

QRgb GameFieldView::TimerColour() const {
  // Black digits on the standard green and anything lighter, white ones on a
  // darker table, where black could hardly be read.
  const QColor table = QColor::fromRgb(FromColorRef(options_.bgColor));
  const int luma = (299 * table.red() + 587 * table.green() + 114 * table.blue()) / 1000;
  return luma < kDarkTableLuma ? kLightTimerColour : kTimerColour;
}

void GameFieldView::DrawTimerText(Surface& target) {
  std::uint32_t t = elapsed_ ? elapsed_() : 0;
  if (options_.timedGame) {
    const std::uint64_t limit = static_cast<std::uint64_t>(options_.timeLimit) * 60;
    t = t >= limit ? 0 : static_cast<std::uint32_t>(limit - t);
  }
  const QString text = QString::number(t / 60) + QLatin1Char(':') + QString::number((t % 60) / 10) +
                       QString::number(t % 10);
  FontStyle font = timerFont_;
  font.height = font.height * layout_.scaleNum / layout_.scaleDen;
  target.DrawText(ClockRect(), text, font, TextAlign::kRight, TimerColour());
}

void GameFieldView::DrawKeyboardCursor(Surface& target) {
  if (grid_.Cursor() >= hitMap_.Records().size()) return;
  const QRect visible = hitMap_.VisibleRect(grid_.Cursor());
  // A 2-pixel pen centred on the outline of the visible part.
  const QRect outer = visible.adjusted(-1, -1, 1, 1);
  target.FrameRect(outer, kCursorColour);
  target.FrameRect(visible, kCursorColour);
}

void GameFieldView::PresentBuffer() {
  Invalidate();
  UpdateWindow();
}

void GameFieldView::RefreshField() {
  dirty_ = true;
  PaintField();
  PresentBuffer();
}

void GameFieldView::RefreshClock() {
  if (dirty_ || dragging_ || underClock_.IsNull()) {
    RefreshField();
    return;
  }
  if (!options_.showTimer) return;
  const QRect clock = ClockRect();
  // Without a buffer the paint draws the clock straight onto the window.
  if (!buffer_.IsNull()) {
    buffer_.Draw(underClock_, clock.topLeft());
    DrawTimerText(buffer_);
  }
  InvalidateRect(clock);
}

void GameFieldView::OnEraseBkgnd(QPainter&, const QRect&, bool& handled) {
  // The field buffer covers every pixel of the window.
  handled = true;
}

void GameFieldView::OnPaint(QPainter& painter, const QRect& dirty, bool& handled) {
  handled = true;
  if (buffer_.IsNull() && PaintOnWindow(painter, dirty)) return;
  PaintField();
  painter.drawImage(QPoint(0, 0), buffer_.Image());
}

bool GameFieldView::PaintOnWindow(QPainter& painter, const QRect& dirty) {
  const QRect client = ClientRect();
  std::optional<Surface> window = Surface::OverPainter(painter, client.size());
  if (!window) return false;
  if (client != laidOutClient_) FitToClient(client);
  const QRect clock = ClockRect();
  if (dirty.contains(client)) {
    DrawTable(*window);
    dirty_ = false;
  } else if (!dirty_ && clock.contains(dirty)) {
    // The clock's tick: the rest of the window keeps the table drawn last.
    window->Draw(underClock_, clock.topLeft());
  } else {
    return false;
  }
  if (options_.showTimer) DrawTimerText(*window);
  return true;
}

LRESULT GameFieldView::OnMessage(unsigned, WPARAM, LPARAM, bool&) { return 0; }

void GameFieldView::ClearSelection() {
  selectedPile_ = kNoSelection;
  selectedIndex_ = kNoSelection;
}

void GameFieldView::SelectCard(std::uint16_t pile, std::uint16_t index) {
  selectedPile_ = pile;
  selectedIndex_ = index;
  selectionTime_ = NowSeconds();
}

std::optional<std::uint16_t> GameFieldView::CardOf(std::uint16_t pile, std::uint16_t index) const {
  if (!layout_.IsPile(pile) || index >= layout_.piles[pile].Count()) return std::nullopt;
  return layout_.piles[pile].cards[index].card;
}

// ---- engine operations ----

bool GameFieldView::EngineMove(const MoveReference& move, ChangeList& changes) {
  automaticChanges_.clear();
  automaticActed_ = false;
  if (game_ == nullptr) return false;
  ChangeRecorder recorder(layout_.piles);
  ChangeRecorder automatic(layout_.piles);
  const bool made = history_ != nullptr ? history_->Make(*game_, move, &recorder, &automatic)
                                        : PerformPlayerMove(*game_, move, &recorder, &automatic);
  changes = std::move(recorder.Changes());
  automaticChanges_ = std::move(automatic.Changes());
  automaticActed_ = automatic.Heard();
  return made;
}

void GameFieldView::FinishMove() {
  if (automaticActed_) {
    automaticActed_ = false;
    ReplayChanges(automaticChanges_);
  }
  if (owner_ != nullptr) owner_->SendMessage(WM_CHECKSTATE, 0, 0);
}

bool GameFieldView::TapAction(std::uint16_t pile) {
  ChangeList changes;
  if (!EngineTap(pile, changes)) return false;
  ClearSelection();
  ReplayChanges(changes);
  FinishMove();
  return true;
}

// ---- change replay and animation ----

void GameFieldView::AnimateMove(const CardsMoved& move) {
  std::vector<PileView>& piles = layout_.piles;
  if (!MoveFits(piles, move)) return;
  const int source = move.source;
  const int start = move.first;
  const int n = move.count;
  const int target = move.destination;
  const int targetIndex = move.position;
  const bool sourceShown = piles[source].shown != 0;
  const bool targetShown = piles[target].shown != 0;
  const bool sliding = options_.animation && sourceShown && targetShown;

  GroupImage group;
  if (sliding) group = RenderGroupImage(layout_, cache_, source, start, n, options_.cardBack);
  std::vector<CardSlot> run(piles[source].cards.begin() + start, piles[source].cards.begin() + start + n);
  piles[source].cards.erase(piles[source].cards.begin() + start, piles[source].cards.begin() + start + n);
  if (sourceShown && options_.animation) RefreshField();

  if (sliding) {
    const QPoint from = hitMap_.CardPosition(static_cast<std::uint16_t>(source), start);
    const QPoint to = hitMap_.CardPosition(static_cast<std::uint16_t>(target), targetIndex);
    int x = from.x() * 256;
    int y = from.y() * 256;
    const int stepX = (to.x() - from.x()) * 256 / kSlideDivisions;
    const int stepY = (to.y() - from.y()) * 256 / kSlideDivisions;
    Surface under(group.image.Width(), group.image.Height());
    for (int frame = 0; frame < kSlideFrames; ++frame) {
      const QPoint at(x / 256, y / 256);
      const QRect area(at, group.image.Image().size());
      under.Copy(buffer_, area, QPoint(0, 0));
      buffer_.Draw(group.image, at);
      PresentBuffer();
      PauseFor(framePause_);
      buffer_.Copy(under, under.Image().rect(), at);
      x += stepX;
      y += stepY;
    }
  }
  // The target may be the source itself: the place counts it without the run.
  piles[target].cards.insert(piles[target].cards.begin() + targetIndex, run.begin(), run.end());
  if (targetShown && options_.animation) RefreshField();
}

void GameFieldView::ReplayChanges(ChangeList& changes) {
  for (const ViewChange& change : changes) {
    if (const auto* move = std::get_if<CardsMoved>(&change)) {
      AnimateMove(*move);
      continue;
    }
    if (ApplyChange(layout_.piles, change) && options_.animation) RefreshField();
  }
  changes.clear();
  if (!options_.animation) RefreshField();
}

void GameFieldView::FlashRecord(std::uint16_t pile, std::uint16_t index) {
  for (int frame = 0; frame < kFlashFrames; ++frame) {
    if (frame % 2 == 0) {
      selectedPile_ = pile;
      selectedIndex_ = index;
    } else {
      ClearSelection();
    }
    RefreshField();
    PauseFor(flashPause_);
  }
}

void GameFieldView::FlashMove(std::uint16_t source, std::uint16_t target) {
  const auto topOf = [&](std::uint16_t pile) {
    const int count = layout_.IsPile(pile) ? layout_.piles[pile].Count() : 0;
    return count == 0 ? kPileBase : static_cast<std::uint16_t>(count - 1);
  };
  if (target == kNoReference) {
    if (layout_.IsPile(source)) FlashRecord(source, topOf(source));
  } else {
    for (std::size_t p = 0; p < layout_.piles.size(); ++p) {
      const auto& cards = layout_.piles[p].cards;
      const auto at = std::find_if(cards.begin(), cards.end(), [&](const CardSlot& s) { return s.card == source; });
      if (at == cards.end()) continue;
      FlashRecord(static_cast<std::uint16_t>(p), static_cast<std::uint16_t>(at - cards.begin()));
      break;
    }
    if (layout_.IsPile(target)) FlashRecord(target, topOf(target));
  }
  ClearSelection();
  if (Mode() == PlayMode::kKeyboardCardWise || Mode() == PlayMode::kKeyboardPileWise) {
    BuildKeyboardGrid(GridChoice::kSource);
  }
}

// ---- pointer play ----

void GameFieldView::OnLButtonDblClk(int x, int y, bool& handled) {
  // Elsewhere a double click stays two presses, as on the handheld.
  if (Mode() == PlayMode::kDragAndDrop && ClientRect().contains(x, y) && SendCardHome(x, y)) {
    handled = true;
    return;
  }
  OnLButtonDown(x, y, handled);
}

bool GameFieldView::SendCardHome(int x, int y) {
  if (game_ == nullptr) return false;
  const std::optional<Hit> hit = hitMap_.HitTest(layout_, x, y);
  if (!hit || hit->index == kPileBase) return false;
  const std::optional<std::uint16_t> card = CardOf(hit->pile, hit->index);
  if (!card) return false;
  const std::optional<std::uint16_t> home = FirstFoundationDrop(*game_, *card);
  if (!home || !layout_.IsPile(*home)) return false;
  ChangeList changes;
  if (!EngineDrop(*card, *home, changes)) return false;
  ClearSelection();
  ReplayChanges(changes);
  FinishMove();
  return true;
}

void GameFieldView::OnLButtonDown(int x, int y, bool& handled) {
  handled = true;
  if (!ClientRect().contains(x, y)) return;
  bool consumed = false;
  switch (Mode()) {
    case PlayMode::kTapping:
      consumed = TappingPenDown(x, y);
      break;
    case PlayMode::kDragAndDrop:
      ClearSelection();
      consumed = DragPenDown(x, y);
      break;
    default:
      return;
  }
  if (consumed) pointerDown_ = true;
}

void GameFieldView::OnMouseMove(int x, int y, bool& handled) {
  handled = true;
  if (pointerDown_ && Mode() == PlayMode::kDragAndDrop) DragMove(x, y);
}

void GameFieldView::OnLButtonUp(int x, int y, bool& handled) {
  handled = true;
  if (!pointerDown_) return;
  if (Mode() == PlayMode::kDragAndDrop) Drop(x, y);
  pointerDown_ = false;
}

bool GameFieldView::TappingPenDown(int x, int y) {
  const std::optional<Hit> hit = hitMap_.HitTest(layout_, x, y);
  if (!hit) {
    ClearSelection();
    RefreshField();
    return false;
  }
  hitPile_ = hit->pile;
  hitIndex_ = hit->index;
  hitRect_ = hit->rect;
  bool tap = false;
  if (selectedPile_ != kNoSelection && hitPile_ == selectedPile_) {
    if (hitIndex_ == selectedIndex_ && NowSeconds() - selectionTime_ < kSecondTapSeconds) {
      tap = true;
    } else {
      ClearSelection();
      RefreshField();
      return true;
    }
  } else if (selectedPile_ != kNoSelection) {
    ChangeList changes;
    if (!EngineDrop(downCard_, hitPile_, changes)) return true;
    ClearSelection();
    ReplayChanges(changes);
    FinishMove();
    return true;
  } else if (hitIndex_ != kPileBase) {
    if (const auto card = CardOf(hitPile_, hitIndex_)) {
      downCard_ = *card;
      if (game_ != nullptr && CanPickUp(*game_, downCard_)) {
        SelectCard(hitPile_, hitIndex_);
        RefreshField();
        return true;
      }
    }
    tap = true;
  } else {
    tap = true;
  }
  if (tap) TapAction(hitPile_);
  return true;
}

bool GameFieldView::DragPenDown(int x, int y) {
  const std::optional<Hit> hit = hitMap_.HitTest(layout_, x, y);
  if (!hit) return false;
  hitPile_ = hit->pile;
  hitIndex_ = hit->index;
  hitRect_ = hit->rect;
  if (hitIndex_ != kPileBase) {
    if (const auto card = CardOf(hitPile_, hitIndex_)) downCard_ = *card;
  }
  if (!HasCapture()) SetCapture();
  dragging_ = false;
  penDown_ = QPoint(x, y);
  return true;
}

void GameFieldView::DragMove(int x, int y) {
  if (!dragging_) {
    if (std::abs(x - penDown_.x()) < kDragThreshold && std::abs(y - penDown_.y()) < kDragThreshold) return;
    if (hitIndex_ == kPileBase || game_ == nullptr || !CardOf(hitPile_, hitIndex_)) return;
    if (!CanPickUp(*game_, downCard_)) return;
    StartDrag(x, y);
    return;
  }
  const QPoint position = QPoint(x, y) + dragOffset_;
  if (position == dragPosition_) return;
  buffer_.Draw(saveUnder_, dragPosition_);
  dragPosition_ = position;
  saveUnder_.Copy(buffer_, QRect(dragPosition_, dragImage_.image.Image().size()), QPoint(0, 0));
  buffer_.Draw(dragImage_.image, dragPosition_);
  PresentBuffer();
}

void GameFieldView::StartDrag(int x, int y) {
  PileView& pile = layout_.piles[hitPile_];
  const int n = pile.Count() - hitIndex_;
  dragImage_ = RenderGroupImage(layout_, cache_, hitPile_, hitIndex_, n, options_.cardBack);
  draggedSlots_.assign(pile.cards.begin() + hitIndex_, pile.cards.end());
  pile.cards.resize(hitIndex_);
  // The field without the lifted cards, with the clock drawn once on top.
  dirty_ = true;
  suppressTimer_ = true;
  PaintField();
  suppressTimer_ = false;
  if (options_.showTimer) DrawTimerText(buffer_);
  if (options_.dropMarks) MarkAcceptingPiles();
  dragPosition_ = hitRect_.topLeft() - dragImage_.firstCard;
  dragOffset_ = dragPosition_ - QPoint(x, y);
  saveUnder_.Create(dragImage_.image.Width(), dragImage_.image.Height());
  saveUnder_.Copy(buffer_, QRect(dragPosition_, dragImage_.image.Image().size()), QPoint(0, 0));
  buffer_.Draw(dragImage_.image, dragPosition_);
  dragging_ = true;
  PresentBuffer();
}

void GameFieldView::EndDrag() {
  if (layout_.IsPile(hitPile_) && !draggedSlots_.empty()) {
    auto& cards = layout_.piles[hitPile_].cards;
    cards.insert(cards.end(), draggedSlots_.begin(), draggedSlots_.end());
  }
  draggedSlots_.clear();
  markedPiles_.clear();
  dragImage_ = GroupImage();
  saveUnder_ = Surface();
  dragging_ = false;
}

void GameFieldView::CancelPointer() {
  const bool dragged = dragging_;
  if (dragging_) EndDrag();
  if (HasCapture()) ReleaseCapture();
  pointerDown_ = false;
  if (dragged) RefreshField();
}

void GameFieldView::MarkAcceptingPiles() {
  markedPiles_.clear();
  if (game_ == nullptr) return;
  const int markWidth = GrownSize(QSize(kDropMarkWidth, kDropMarkWidth), layout_).width();
  for (std::size_t p = 0; p < layout_.piles.size(); ++p) {
    const auto pile = static_cast<std::uint16_t>(p);
    if (pile == hitPile_ || layout_.piles[p].shown == 0 || !CanDrop(*game_, downCard_, pile)) continue;
    const int count = layout_.piles[p].Count();
    const std::optional<std::size_t> record =
        hitMap_.Find(pile, count == 0 ? kPileBase : static_cast<std::uint16_t>(count - 1));
    if (!record) continue;
    const QRect rect = hitMap_.Records()[*record].Rect();
    for (int inset = 0; inset < markWidth; ++inset) {
      buffer_.FrameRect(rect.adjusted(inset, inset, -inset, -inset), kDropMarkColour);
    }
    markedPiles_.push_back(pile);
  }
}

void GameFieldView::SlideBack(const GroupImage& image, Surface& under, QPoint from, QPoint home) {
  if (!options_.animation || home == from || image.image.IsNull()) return;
  const QSize size = image.image.Image().size();
  QPoint at = from;
  for (int frame = 1; frame <= kSlideFrames; ++frame) {
    buffer_.Draw(under, at);
    at = from + (home - from) * frame / kSlideFrames;
    under.Copy(buffer_, QRect(at, size), QPoint(0, 0));
    buffer_.Draw(image.image, at);
    PresentBuffer();
    PauseFor(framePause_);
  }
}

void GameFieldView::Drop(int x, int y) {
  ReleaseCapture();
  if (dragging_) {
    const QPoint centre = dragPosition_ + QPoint(layout_.cardWidth / 2, layout_.cardHeight / 2);
    const std::uint16_t source = hitPile_;
    // The image stays for the slide back of refused cards.
    GroupImage image = dragImage_;
    Surface under = saveUnder_;
    const QPoint at = dragPosition_;
    EndDrag();
    const std::optional<Hit> target = hitMap_.HitTest(layout_, centre.x(), centre.y());
    bool moved = false;
    ChangeList changes;
    if (target && target->pile != source && EngineDrop(downCard_, target->pile, changes)) {
      // The dragged run, the move's first change, was seen on its way: it
      // lands at once.
      if (!changes.empty()) {
        ApplyChange(layout_.piles, changes.front());
        changes.erase(changes.begin());
      }
      RefreshField();
      ReplayChanges(changes);
      moved = true;
    } else {
      SlideBack(image, under, at, hitRect_.topLeft() - image.firstCard);
    }
    RefreshField();
    if (moved) FinishMove();
    return;
  }
  const std::optional<Hit> hit = hitMap_.HitTest(layout_, x, y);
  if (hit && hit->pile == hitPile_ && hit->index == hitIndex_) TapAction(hitPile_);
}

// ---- keyboard play ----

void GameFieldView::RecordSelectables() {
  // The records the table gives now, without touching the buffer.
  RecordField(layout_, laidOutClient_.width(), laidOutClient_.height(), hitMap_,
              [&](const CardSlot& slot) { return IsSelectableCard(slot); });
}

void GameFieldView::BuildKeyboardGrid(GridChoice choice) {
  grid_.Clear();
  if (game_ == nullptr || !layout_.HasPiles()) return;
  if (hitMap_.Records().empty()) RecordSelectables();
  std::vector<HitRecord>& records = hitMap_.Records();
  for (HitRecord& record : records) {
    if (!layout_.IsPile(record.pile)) {
      record.selectable = 0;
      continue;
    }
    const PileView& pile = layout_.piles[record.pile];
    const bool topOrBase = record.index == kPileBase || record.index + 1 == pile.Count();
    const std::optional<std::uint16_t> card = CardOf(record.pile, record.index);
    if (choice == GridChoice::kSource) {
      record.selectable = topOrBase && CanTap(*game_, record.pile) ? 1 : 0;
      if (record.selectable == 0 && card && CanPickUp(*game_, *card)) record.selectable = 1;
    } else {
      if (record.pile == hitPile_ && record.index == hitIndex_) {
        record.selectable = 1;
        continue;
      }
      record.selectable = topOrBase && CanDrop(*game_, downCard_, record.pile) ? 1 : 0;
    }
  }
  grid_.Build(hitMap_, layout_, Mode() == PlayMode::kKeyboardPileWise,
              GridSelection{selectedPile_, selectedIndex_});
}

void GameFieldView::ClearKeyboardGrid() { grid_.Clear(); }

bool GameFieldView::OnFieldKeyDown(unsigned virtualKey) {
  if (!grid_.Exists()) return false;
  if (virtualKey == VK_RETURN) {
    KeyboardEnter();
    return true;
  }
  if (!grid_.Step(virtualKey, hitMap_, layout_, GridSelection{selectedPile_, selectedIndex_})) return false;
  hitMap_.frozen = true;
  RefreshField();
  hitMap_.frozen = false;
  return true;
}

void GameFieldView::KeyboardEnter() {
  if (grid_.Cursor() >= hitMap_.Records().size()) return;
  const HitRecord record = hitMap_.Records()[grid_.Cursor()];
  hitPile_ = record.pile;
  hitIndex_ = record.index;
  hitRect_ = record.Rect();
  const auto deselect = [&] {
    ClearSelection();
    BuildKeyboardGrid(GridChoice::kSource);
    RefreshField();
  };
  const auto tapAction = [&] {
    ChangeList changes;
    if (!EngineTap(hitPile_, changes)) return;
    ClearKeyboardGrid();
    ClearSelection();
    ReplayChanges(changes);
    FinishMove();
  };
  if (selectedPile_ != kNoSelection && hitPile_ == selectedPile_) {
    if (hitIndex_ == selectedIndex_ && NowSeconds() - selectionTime_ < kSecondTapSeconds) {
      tapAction();
    } else {
      deselect();
    }
    return;
  }
  if (selectedPile_ != kNoSelection) {
    ChangeList changes;
    if (!EngineDrop(downCard_, hitPile_, changes)) return;
    ClearKeyboardGrid();
    ClearSelection();
    ReplayChanges(changes);
    FinishMove();
    return;
  }
  if (hitIndex_ != kPileBase) {
    if (const auto card = CardOf(hitPile_, hitIndex_)) {
      downCard_ = *card;
      if (game_ != nullptr && CanPickUp(*game_, downCard_)) {
        BuildKeyboardGrid(GridChoice::kDestination);
        if (grid_.Exists()) {
          SelectCard(hitPile_, hitIndex_);
          RefreshField();
        }
        return;
      }
    }
  }
  tapAction();
}

}  // namespace cw
