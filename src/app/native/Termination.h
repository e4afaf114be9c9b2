#pragma once
#include <functional>

class QObject;

namespace kestrine::native {

// The system asks the program to end outside the window (SIGTERM, SIGHUP or SIGINT on POSIX,
// as at log-out or shut-down): `handler` then runs on the event loop, so the program can save
// before it ends. A second request ends it at once. On Windows the session's end reaches the
// window itself, so nothing is installed there.
void OnTerminationRequest(QObject* owner, std::function<void()> handler);

}  // namespace kestrine::native
