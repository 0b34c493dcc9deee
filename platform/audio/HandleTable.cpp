#include "platform/audio/HandleTable.h"

#include <atomic>

namespace qm::audio {

uint32_t NextHandle() {
  // Starts well above 1; after a wrap-around the two reserved values are skipped.
  static std::atomic<uint32_t> next{0x10000};
  for (;;) {
    const uint32_t handle = next.fetch_add(1, std::memory_order_relaxed);
    if (handle > 1) return handle;
  }
}

}  // namespace qm::audio
