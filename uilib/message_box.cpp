#include "uilib/message_box.h"

#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/resources/string_table.h"

namespace cw {

namespace {

constexpr unsigned kMessageTextControl = ChoiceBox::kTextControl;

MenuBarLayout SoftKeysFor(unsigned type) {
  MenuBarLayout bar;
  const auto key = [&bar](unsigned command, const char* text) {
    MenuBarLayout::Button button;
    button.command = command;
    button.text = QString::fromLatin1(text);
    bar.buttons.push_back(button);
  };
  if (type == MB_YESNO) {
    key(IDYES, "Yes");
    key(IDNO, "No");
  } else if (type == MB_OKCANCEL) {
    key(IDOK, "OK");
    key(IDCANCEL, "Cancel");
  } else {
    key(IDOK, "OK");
  }
  return bar;
}

// The first soft key that is a plain command `accepts`; 0 when there is none.
template <typename Accepts>
unsigned FirstSoftKey(const MenuBarLayout& bar, Accepts accepts) {
  for (const MenuBarLayout::Button& button : bar.buttons) {
    if (!button.separator && button.popup.empty() && accepts(button.command)) {
      return button.command;
    }
  }
  return 0;
}

void AnswerDefault(CeMsgWnd& box, unsigned command) {
  box.SendMessage(WM_COMMAND, MAKEWPARAM(command, kCommandFromMenu), 0);
}

class MessageBoxDialog : public CeDialog {
 public:
  MessageBoxDialog(const QString& text, const QString& caption, unsigned type)
      : CeDialog(caption, SoftKeysFor(type)), text_(text), type_(type) {}

  void OnKeyDown(unsigned virtualKey, bool& handled) override {
    if (virtualKey != VK_RETURN) return;
    handled = true;
    AnswerDefault(*this, FirstSoftKey(SoftKeysFor(type_), [](unsigned) { return true; }));
  }

  void OnInitDialog(bool& handled) override {
    AddMessageText(*this, kMessageTextControl, text_);
    handled = true;
  }

  void OnCommand(unsigned id, unsigned, bool& handled) override {
    if (id == IDYES || id == IDNO) {
      EndDialog(static_cast<int>(id));
      handled = true;
    } else if (id == IDCANCEL && type_ != MB_OKCANCEL) {
      // Without a Cancel key, closing is the harmless answer.
      EndDialog(static_cast<int>(type_ == MB_YESNO ? IDNO : IDOK));
      handled = true;
    }
  }

 private:
  QString text_;
  unsigned type_;
};

}  // namespace

void AddMessageText(CeMsgWnd& dialog, unsigned controlId, const QString& text) {
  auto* layout = new QVBoxLayout(dialog.Widget());
  layout->setContentsMargins(8, 8, 8, 8);
  auto* label = new QLabel(text, dialog.Widget());
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setTextFormat(Qt::PlainText);
  layout->addWidget(label);
  layout->addStretch(1);
  dialog.AddControl(controlId, label);
}

int MessageBox(CeMsgWnd* owner, const QString& text, const QString& caption, unsigned type) {
  MessageBoxDialog box(text, caption, type);
  return box.DoModal(owner);
}

ChoiceBox::ChoiceBox(QString title, QString text, MenuBarLayout softKeys,
                     std::vector<unsigned> commands)
    : CeDialog(std::move(title), softKeys), text_(std::move(text)), commands_(std::move(commands)) {
  defaultCommand_ = FirstSoftKey(softKeys, [this](unsigned command) {
    return std::find(commands_.begin(), commands_.end(), command) != commands_.end();
  });
  if (defaultCommand_ == 0 && !commands_.empty()) defaultCommand_ = commands_.front();
}

void ChoiceBox::OnKeyDown(unsigned virtualKey, bool& handled) {
  if (virtualKey != VK_RETURN || defaultCommand_ == 0) return;
  handled = true;
  AnswerDefault(*this, defaultCommand_);
}

unsigned ChoiceBox::Run(CeMsgWnd* owner) {
  chosen_ = 0;
  DoModal(owner);
  return chosen_;
}

void ChoiceBox::OnInitDialog(bool& handled) {
  AddMessageText(*this, kTextControl, text_);
  handled = true;
}

void ChoiceBox::OnCommand(unsigned id, unsigned, bool& handled) {
  if (std::find(commands_.begin(), commands_.end(), id) == commands_.end()) return;
  chosen_ = id;
  EndDialog(static_cast<int>(id));
  handled = true;
}

unsigned RunChoiceBox(CeMsgWnd* owner, int titleStringId, int textStringId, int menuBarId,
                      std::vector<unsigned> commands) {
  std::optional<MenuBarLayout> softKeys = LoadMenuBar(menuBarId);
  if (!softKeys) return 0;
  ChoiceBox box(LoadString(titleStringId), LoadString(textStringId), std::move(*softKeys),
                std::move(commands));
  return box.Run(owner);
}

}  // namespace cw
