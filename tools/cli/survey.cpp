#include "tools/cli/survey.h"

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "engine/rules/automatic_events.h"

namespace cw {

void RunSurvey(const SolGame& game, std::uint32_t first, std::uint32_t last, DealOrder order,
               const SolveLimits& limits, unsigned jobs,
               const std::function<void(const SurveyEntry&)>& report) {
  if (last < first) return;
  const std::uint64_t count = std::uint64_t{last} - first + 1;
  std::vector<std::optional<SurveyEntry>> done(count);
  std::atomic<std::uint64_t> nextIndex{0};
  std::mutex mutex;
  std::condition_variable finished;

  auto worker = [&] {
    SolGame deal;
    deal.definition = game.definition;
    for (std::uint64_t i = nextIndex++; i < count; i = nextIndex++) {
      SurveyEntry entry;
      entry.number = static_cast<std::uint32_t>(first + i);
      std::uint32_t dealt = entry.number;
      if (StartNewGame(deal, dealt, nullptr, order)) entry.result = Solve(deal, limits);
      const std::lock_guard lock(mutex);
      done[i] = std::move(entry);
      finished.notify_one();
    }
  };
  std::vector<std::thread> threads;
  for (unsigned j = 0; j < std::max(jobs, 1u); ++j) threads.emplace_back(worker);
  for (std::uint64_t i = 0; i < count; ++i) {
    std::unique_lock lock(mutex);
    finished.wait(lock, [&] { return done[i].has_value(); });
    const SurveyEntry entry = std::move(*done[i]);
    done[i].reset();
    lock.unlock();
    report(entry);
  }
  for (std::thread& thread : threads) thread.join();
}

Interval WilsonInterval(std::uint64_t successes, std::uint64_t trials) {
  if (trials == 0) return {};
  constexpr double z = 1.959963984540054;
  const double n = static_cast<double>(trials);
  const double p = static_cast<double>(successes) / n;
  const double denominator = 1 + z * z / n;
  const double centre = (p + z * z / (2 * n)) / denominator;
  const double half = z * std::sqrt(p * (1 - p) / n + z * z / (4 * n * n)) / denominator;
  return {std::max(0.0, centre - half), std::min(1.0, centre + half)};
}

}  // namespace cw
