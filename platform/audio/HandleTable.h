// Handle tables: the map from the 32-bit handles that callers hold to the objects
// behind them. Every table draws from one counter, so a value names at most one
// object of any kind; 0 and 1 are never handed out (callers use both as markers).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qm::audio {

uint32_t NextHandle();

// Lookups hand out shared ownership, so an object stays alive for the call that
// uses it even if a callback frees its handle meanwhile.
template <typename T>
class HandleTable {
 public:
  uint32_t Add(std::shared_ptr<T> object) {
    const uint32_t handle = NextHandle();
    std::lock_guard lock(mutex_);
    objects_.emplace(handle, std::move(object));
    return handle;
  }

  std::shared_ptr<T> Find(uint32_t handle) const {
    std::lock_guard lock(mutex_);
    const auto it = objects_.find(handle);
    return it == objects_.end() ? nullptr : it->second;
  }

  std::shared_ptr<T> Remove(uint32_t handle) {
    std::lock_guard lock(mutex_);
    const auto it = objects_.find(handle);
    if (it == objects_.end()) return nullptr;
    std::shared_ptr<T> object = std::move(it->second);
    objects_.erase(it);
    return object;
  }

  std::vector<std::shared_ptr<T>> RemoveAll() {
    std::lock_guard lock(mutex_);
    std::vector<std::shared_ptr<T>> all;
    for (auto& entry : objects_) all.push_back(std::move(entry.second));
    objects_.clear();
    return all;
  }

 private:
  mutable std::mutex mutex_;
  std::unordered_map<uint32_t, std::shared_ptr<T>> objects_;
};

}  // namespace qm::audio
