#include "platform/MessagePump.h"

namespace qm::platform {
namespace {
MessagePumpFn g_pump = nullptr;
void* g_context = nullptr;
}  // namespace

void SetMessagePump(MessagePumpFn fn, void* context) {
  g_pump = fn;
  g_context = context;
}

void PumpMessages() {
  if (g_pump != nullptr) g_pump(g_context);
}

}  // namespace qm::platform
