// Fault injection: the next N requests are answered with status 500, or the next
// N connections are closed without a reply. Drops are used up before failures.
#pragma once

#include <atomic>

namespace qm::refserver {

class Faults {
 public:
  enum class Action { kServe, kFail, kDrop };

  void Set(int fail, int drop) {
    if (fail >= 0) fail_.store(fail);
    if (drop >= 0) drop_.store(drop);
  }
  int pending_failures() const { return fail_.load(); }
  int pending_drops() const { return drop_.load(); }

  // Decides the fate of one request, using up one pending fault if any.
  Action Next() {
    if (TakeOne(drop_)) return Action::kDrop;
    if (TakeOne(fail_)) return Action::kFail;
    return Action::kServe;
  }

 private:
  static bool TakeOne(std::atomic<int>& counter) {
    int n = counter.load();
    while (n > 0)
      if (counter.compare_exchange_weak(n, n - 1)) return true;
    return false;
  }

  std::atomic<int> fail_{0};
  std::atomic<int> drop_{0};
};

}  // namespace qm::refserver
