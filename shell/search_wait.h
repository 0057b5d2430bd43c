// Waiting for a search that runs on a thread of its own: the window keeps
// drawing and its timers keep running, the player's input waits, and after a
// moment a box with the positions searched so far offers Cancel.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

namespace cw {

class CeMsgWnd;

// What the searching thread is told and tells: Cancel was chosen; how many
// positions it has expanded.
struct SearchSignals {
  std::atomic<bool> cancel{false};
  std::atomic<std::uint64_t> nodes{0};
};

// Runs `search` on its own thread and waits for it. For the first `grace` the
// wait shows nothing and takes no input; then the box opens over `owner`
// with the string `textStringId` (its "%1", if any, the positions searched).
// Answers false when the player cancelled (the search was told to stop and
// has ended). `search` must not touch anything the user-interface thread
// uses: it gets copies.
bool RunSearch(CeMsgWnd* owner, const std::function<void(SearchSignals&)>& search, int textStringId,
               std::chrono::milliseconds grace);

}  // namespace cw
