#include "shell/search_wait.h"

#include <QEventLoop>
#include <QTimer>
#include <QWidget>  // complete for the window library's inline accessors
#include <new>
#include <optional>
#include <thread>

#include "platform/resources/resource_ids.h"
#include "platform/resources/string_table.h"
#include "uilib/menu_bar.h"
#include "uilib/message_box.h"

namespace cw {
namespace {

constexpr std::chrono::milliseconds kPollInterval{20};

// The text may count the positions searched so far with a "%1".
QString ProgressText(int textStringId, std::uint64_t nodes) {
  const QString text = LoadString(textStringId);
  return text.contains(QStringLiteral("%1")) ? text.arg(nodes) : text;
}

}  // namespace

bool RunSearch(CeMsgWnd* owner, const std::function<void(SearchSignals&)>& run, int textStringId,
               std::chrono::milliseconds grace) {
  SearchSignals search;
  std::atomic<bool> done{false};
  std::thread worker([&run, &search, &done] {
    // A search that runs out of memory has found nothing: its caller's
    // answer stays "undecided".
    try {
      run(search);
    } catch (const std::bad_alloc&) {
    }
    done.store(true);
  });

  {
    // The quiet moment: timers and painting go on, the player's taps wait.
    QEventLoop quiet;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &quiet, [&] {
      if (done.load()) quiet.quit();
    });
    poll.start(kPollInterval);
    QTimer::singleShot(grace, &quiet, &QEventLoop::quit);
    if (!done.load()) quiet.exec(QEventLoop::ExcludeUserInputEvents);
  }

  if (!done.load()) {
    std::optional<MenuBarLayout> softKeys = LoadMenuBar(menu_bar_id::kSearchProgress);
    if (softKeys) {
      ChoiceBox box(LoadString(string_id::kSearchProgressTitle), ProgressText(textStringId, 0),
                    std::move(*softKeys), {IDCANCEL});
      QTimer poll;
      QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done.load()) {
          box.EndDialog(static_cast<int>(IDOK));
        } else if (box.IsWindow()) {
          box.SetDlgItemText(ChoiceBox::kTextControl, ProgressText(textStringId, search.nodes.load()));
        }
      });
      poll.start(kPollInterval);
      // Closed any way but by the search ending, the box cancels it.
      if (box.DoModal(owner) != static_cast<int>(IDOK)) search.cancel.store(true);
    } else {
      search.cancel.store(true);
    }
  }
  // A cancelled search notices the flag at its next poll of it and ends.
  worker.join();
  return !search.cancel.load();
}

}  // namespace cw
