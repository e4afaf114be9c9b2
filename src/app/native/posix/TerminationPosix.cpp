#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

#include "app/native/Termination.h"

namespace kestrine::native {

namespace {

// The handler may only write to a pipe; the event loop reads it.
int signalPipe[2] = {-1, -1};

void Notify(int) {
  const int saved = errno;
  const char byte = 1;
  (void)!write(signalPipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

void OnTerminationRequest(QObject* owner, std::function<void()> handler) {
  if (signalPipe[0] < 0 && pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, owner);
  QObject::connect(notifier, &QSocketNotifier::activated, owner, [handler = std::move(handler)] {
    char bytes[16];
    while (read(signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    handler();
  });
  struct sigaction action = {};
  action.sa_handler = Notify;
  sigemptyset(&action.sa_mask);
  // The second request finds the default action again and ends the program at once.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  for (int signal : {SIGTERM, SIGHUP, SIGINT}) sigaction(signal, &action, nullptr);
}

}  // namespace kestrine::native
