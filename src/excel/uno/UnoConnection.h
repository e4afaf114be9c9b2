#pragma once
// One UNO connection to a running office, with a watchdog that drops it when a call hangs.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <cppuhelper/exc_hlp.hxx>
#include <rtl/ustring.hxx>

#include "base/UnicodeString.h"

namespace kestrine::uno {

namespace css = ::com::sun::star;

rtl::OUString ToOUString(const UnicodeString& text);
UnicodeString FromOUString(const rtl::OUString& text);

// The office's own text for a failure, without the source location LibreOffice appends,
// or a text naming the exception type when the office gave none.
UnicodeString OfficeMessage(const UnicodeString& message, const UnicodeString& typeName);

// Two bridges to one office in one process would share their proxies (UNO keys them by
// the remote object's id), so a call made through one could travel over the other, past
// its watchdog. Hence one live connection per pipe: Open hands out the one that is still
// held and alive, and a new one only when none is.
class Connection {
 public:
  // The office that accepts on the pipe, or null when nothing listens there. Throws
  // Exception when something accepts but does not answer within the bounded wait.
  static std::shared_ptr<Connection> Open(const std::string& pipeName);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Runs remote work under the watchdog and turns UNO failures into Exception. Calls are
  // serialised: one connection serves one command.
  template <class Work>
  auto Run(Work&& work) -> decltype(work());

  const css::uno::Reference<css::frame::XDesktop2>& Desktop() const { return desktop_; }

 private:
  Connection();
  void Attach(const std::string& pipeName);
  void Arm();
  void Disarm();
  void Watch();
  void DropBridge() noexcept;
  void ThrowIfDropped();
  [[noreturn]] void Translate(const css::uno::Exception& error, const css::uno::Any& caught);

  class CallScope {
   public:
    explicit CallScope(Connection& owner) : owner_(owner) { owner_.Arm(); }
    ~CallScope() { owner_.Disarm(); }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

   private:
    Connection& owner_;
  };

  std::mutex callMutex_;

  // Start of the running call in steady-clock ticks, 0 when idle.
  std::atomic<int64_t> callStart_{0};
  std::atomic<bool> timedOut_{false};
  std::atomic<bool> dropped_{false};
  std::mutex watchMutex_;
  std::condition_variable watchWake_;
  bool stopping_ = false;
  std::thread watchdog_;

  css::uno::Reference<css::uno::XComponentContext> local_;
  css::uno::Reference<css::bridge::XBridge> bridge_;
  css::uno::Reference<css::uno::XInterface> bridgeIdentity_;
  css::uno::Reference<css::frame::XDesktop2> desktop_;
};

template <class Work>
auto Connection::Run(Work&& work) -> decltype(work()) {
  std::lock_guard lock(callMutex_);
  ThrowIfDropped();
  try {
    CallScope scope(*this);
    return work();
  } catch (const css::uno::Exception& error) {
    Translate(error, cppu::getCaughtException());
  }
}

}  // namespace kestrine::uno
