#include "excel/uno/UnoConnection.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <map>
#include <vector>

#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/bootstrap.hxx>

#include "base/Exception.h"
#include "excel/uno/UnoBackend.h"

namespace kestrine::uno {

namespace {

using Clock = std::chrono::steady_clock;
using css::uno::Reference;
using css::uno::UNO_QUERY;

// How soon an idle watchdog notices a new call; the deadline itself is exact.
constexpr auto kIdlePoll = std::chrono::milliseconds(200);

static_assert(kCallTimeout == std::chrono::seconds(10), "the message names the wait");

// LibreOffice writes to the pipe without MSG_NOSIGNAL: a write after the office died would
// end this process with SIGPIPE. The bridge's reader and writer threads inherit the mask of
// the thread that creates them, so SIGPIPE is blocked there for their whole life.
class SigPipeBlocked {
 public:
  SigPipeBlocked() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe_, &previous_);
  }
  ~SigPipeBlocked() {
    // One raised on this thread meanwhile must not arrive once it is unblocked.
    const timespec none{};
    while (sigtimedwait(&pipe_, nullptr, &none) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
  SigPipeBlocked(const SigPipeBlocked&) = delete;
  SigPipeBlocked& operator=(const SigPipeBlocked&) = delete;

 private:
  sigset_t pipe_;
  sigset_t previous_;
};

void DisposeQuietly(const Reference<css::uno::XInterface>& object) noexcept {
  try {
    Reference<css::lang::XComponent> component(object, UNO_QUERY);
    if (component.is()) component->dispose();
  } catch (...) {
    // Already gone: nothing left to release.
  }
}

}  // namespace

const char16_t* const kConnectionLostMessage = u"表計算ソフトとの接続が切れました。";
const char16_t* const kNotRespondingMessage = u"表計算ソフトが応答しません。（10 秒）";
const char16_t* const kGoneMessage = u"ブックまたはシートが閉じられたか、削除されました。";

// sal_Unicode is a 16-bit integer type here, not char16_t: copy the code units.
rtl::OUString ToOUString(const UnicodeString& text) {
  const std::vector<sal_Unicode> units(text.begin(), text.end());
  return rtl::OUString(units.data(), static_cast<sal_Int32>(units.size()));
}

UnicodeString FromOUString(const rtl::OUString& text) {
  return UnicodeString(text.getStr(), text.getStr() + text.getLength());
}

UnicodeString OfficeMessage(const UnicodeString& message, const UnicodeString& typeName) {
  UnicodeString text = TrimControl(message);
  // LibreOffice appends " at ./dir/file.cxx:123" to many messages, some of which are
  // nothing else: meaningless to a user.
  const size_t at = (u" " + text).rfind(u" at ");
  if (at != UnicodeString::npos) {
    const UnicodeString where = text.substr(std::min(text.size(), at + 3));
    const size_t colon = where.rfind(u':');
    const bool lineNumber =
        colon != UnicodeString::npos && colon + 1 < where.size() &&
        std::all_of(where.begin() + static_cast<std::ptrdiff_t>(colon) + 1, where.end(),
                    [](char16_t c) { return c >= u'0' && c <= u'9'; });
    if (lineNumber && where.find(u'/') != UnicodeString::npos &&
        where.find(u' ') == UnicodeString::npos)
      text = TrimControl(text.substr(0, at == 0 ? 0 : at - 1));
  }
  if (!text.empty()) return text;
  return FormatS(u"表計算ソフトがエラーを返しました（%s）。",
                 {typeName.empty() ? std::u16string_view(u"不明") : std::u16string_view(typeName)});
}

Connection::Connection() = default;

std::shared_ptr<Connection> Connection::Open(const std::string& pipeName) {
  // Weak entries only: nothing here keeps a UNO reference alive until exit.
  static std::mutex mutex;
  static std::map<std::string, std::weak_ptr<Connection>> live;
  std::lock_guard lock(mutex);
  if (std::shared_ptr<Connection> held = live[pipeName].lock(); held && !held->dropped_)
    return held;
  std::shared_ptr<Connection> connection(new Connection());
  live[pipeName] = connection;
  try {
    connection->Attach(pipeName);
  } catch (const css::uno::Exception&) {
    // Nothing listens on the pipe (NoConnectException), or the pipe would not carry a bridge.
    return nullptr;
  } catch (const Exception&) {
    // An office that went away while we attached is no office to attach to.
    if (connection->dropped_ && !connection->timedOut_) return nullptr;
    throw;
  }
  return connection;
}

void Connection::Attach(const std::string& pipeName) {
  try {
    // Without this only the base types load, and the first office call crashes.
    rtl::Bootstrap::set("URE_BOOTSTRAP",
                        "vnd.sun.star.pathname:" KESTRINE_LO_PROGRAM_DIR "/fundamentalrc");
    local_ = cppu::defaultBootstrap_InitialComponentContext();
  } catch (const cppu::BootstrapException& error) {
    throw Exception(FormatS(u"LibreOffice の UNO 実行環境を読み込めませんでした。（%s）",
                            {FromOUString(error.getMessage())}));
  } catch (const css::uno::Exception& error) {
    throw Exception(FormatS(u"LibreOffice の UNO 実行環境を読み込めませんでした。（%s）",
                            {FromOUString(error.Message)}));
  }

  // Connecting to a local pipe does not wait for the office, so it needs no watchdog;
  // its failures (NoConnectException: nothing listens) go to Open.
  const auto pipe = rtl::OUString::createFromAscii(("pipe,name=" + pipeName).c_str());
  {
    SigPipeBlocked blocked;
    Reference<css::connection::XConnection> link =
        css::connection::Connector::create(local_)->connect(pipe);
    bridge_ = css::bridge::BridgeFactory::create(local_)->createBridge("", "urp", link, nullptr);
  }
  bridgeIdentity_ = Reference<css::uno::XInterface>(bridge_, UNO_QUERY);

  watchdog_ = std::thread([this] { Watch(); });
  desktop_ = Run([&] {
    Reference<css::uno::XComponentContext> remote(
        bridge_->getInstance("StarOffice.ComponentContext"), css::uno::UNO_QUERY_THROW);
    return css::frame::Desktop::create(remote);
  });
}

Connection::~Connection() {
  if (watchdog_.joinable()) {
    {
      std::lock_guard lock(watchMutex_);
      stopping_ = true;
    }
    watchWake_.notify_all();
    watchdog_.join();
  }
  // Every reference must go before the local context: one alive at exit crashes.
  desktop_.clear();
  DisposeQuietly(bridge_);
  bridge_.clear();
  bridgeIdentity_.clear();
  DisposeQuietly(local_);
  local_.clear();
}

void Connection::Arm() {
  callStart_.store(std::max<int64_t>(1, Clock::now().time_since_epoch().count()));
}

void Connection::Disarm() {
  callStart_.store(0);
}

void Connection::Watch() {
  std::unique_lock lock(watchMutex_);
  while (!stopping_) {
    const int64_t start = callStart_.load();
    if (start == 0 || timedOut_) {
      watchWake_.wait_for(lock, kIdlePoll);
      continue;
    }
    const auto deadline = Clock::time_point(Clock::duration(start)) + kCallTimeout;
    if (Clock::now() < deadline) {
      watchWake_.wait_until(lock, deadline);
      continue;
    }
    // UNO has no timeout of its own: disposing the bridge is what releases the call.
    timedOut_ = true;
    lock.unlock();
    DropBridge();
    lock.lock();
  }
}

void Connection::DropBridge() noexcept {
  dropped_ = true;
  DisposeQuietly(bridge_);
}

void Connection::ThrowIfDropped() {
  if (!dropped_) return;
  // Let go of the dead proxy at once: a later connection must not be handed it.
  desktop_.clear();
  throw Exception(kConnectionLostMessage);
}

void Connection::Translate(const css::uno::Exception& error, const css::uno::Any& caught) {
  // The bridge names itself as the source when its pipe has gone; an office object that was
  // disposed (a closed document) does not. No remote call here: nothing guards this part,
  // and the context may be an object in a frozen office.
  const bool fromBridge = (error.Context.is() && error.Context.get() == bridgeIdentity_.get()) ||
                          error.Message.startsWith("Binary URP bridge");
  if (timedOut_ || dropped_ || fromBridge) {
    const bool timedOut = timedOut_;
    dropped_ = true;
    desktop_.clear();
    throw Exception(timedOut ? kNotRespondingMessage : kConnectionLostMessage);
  }
  if (caught.isExtractableTo(cppu::UnoType<css::lang::DisposedException>::get()))
    throw Exception(kGoneMessage);
  throw Exception(
      OfficeMessage(FromOUString(error.Message), FromOUString(caught.getValueTypeName())));
}

}  // namespace kestrine::uno
