// The host's message pump. The engine (between blocks) and the HTTP client (while a
// request waits) call PumpMessages so that the host's window repaints and its stop
// buttons work during long operations. The Qt program registers a function that
// processes pending Qt events; with none registered PumpMessages does nothing.
#pragma once

namespace qm::platform {

using MessagePumpFn = void (*)(void* context);

// Registers the pump (nullptr removes it). Not thread-safe: call from the host's thread.
void SetMessagePump(MessagePumpFn fn, void* context);

// Runs the registered pump once.
void PumpMessages();

}  // namespace qm::platform
