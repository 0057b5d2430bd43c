// The Best Times dialog of the current solitaire, and the name entry offered
// after a win whose time earns a place in it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include <QRect>
#include <QSize>
#include <QString>

#include "platform/screen/screen_facts.h"
#include "shell/best_times.h"
#include "uilib/ce_dialog.h"

class QLineEdit;

namespace cw {

class ListView;

// Where the list and its two columns go in a client area of `client` device pixels.
struct BestTimesListGeometry {
  QRect list;
  int nameWidth = 0;
  int timeWidth = 0;
};
BestTimesListGeometry LayOutBestTimesList(const ScreenFacts& facts, const QSize& client);

// The rows as shown, entry 0 first: name and time, or "---" twice for an empty entry.
struct BestTimesRow {
  QString name;
  QString time;
};
std::array<BestTimesRow, kBestTimeCount> BestTimesRows(const BestTimesTable& table);

class BestTimesDialog : public CeDialog {
 public:
  static constexpr unsigned kListControl = 1004;

  BestTimesDialog(GameRecordsPlace place, ScreenFacts facts);

  // Shows the table modally (reading it creates an empty one for a solitaire
  // never won); true when the player cleared it.
  bool Run(CeMsgWnd* owner);
  // While the dialog runs.
  ListView* List() const { return list_; }

  void OnInitDialog(bool& handled) override;
  void OnSize(int width, int height, bool& handled) override;
  void OnCommand(unsigned id, unsigned code, bool& handled) override;

 private:
  GameRecordsPlace place_;
  ScreenFacts facts_;
  ListView* list_ = nullptr;
  bool cleared_ = false;
};

// The congratulation with the time, above the name box.
QString NameEntryText(std::uint32_t seconds);

class NameEntryDialog : public CeDialog {
 public:
  static constexpr unsigned kTextControl = 1005;
  static constexpr unsigned kNameControl = 1007;
  static constexpr int kMaxNameLength = 15;

  NameEntryDialog(std::uint32_t seconds, QString initialName);

  // The name entered, when the dialog ended with OK.
  std::optional<QString> Run(CeMsgWnd* owner);

  void OnInitDialog(bool& handled) override;
  void OnCommand(unsigned id, unsigned code, bool& handled) override;

 private:
  std::uint32_t seconds_;
  QString initialName_;
  QLineEdit* edit_ = nullptr;
  std::optional<QString> entered_;
};

// After a win: when the time earns a place, asks for a name (offering the
// last one entered), keeps it as the last name, enters the time under it and
// shows the table. True when an entry was added.
bool OfferBestTime(CeMsgWnd* owner, const GameRecordsPlace& place, const ScreenFacts& facts,
                   std::uint32_t elapsedSeconds, Preferences& preferences);

}  // namespace cw
