// The running application over COM: active object by program identifier, then one
// GetIDsOfNames and one Invoke per call, nothing cached.
#include <windows.h>

#include <oleauto.h>

#include <chrono>
#include <memory>
#include <vector>

#include "base/Exception.h"
#include "excel/Automation.h"
#include "platform/win/WinText.h"

namespace kestrine::automation {

namespace {

using win::Wide;

// One CoInitialize per connection, undone when the last object of the connection is gone;
// S_FALSE (already initialised on this thread) counts as success and must be balanced too.
class ComGuard {
 public:
  ComGuard() : initialized_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~ComGuard() {
    if (initialized_) CoUninitialize();
  }
  ComGuard(const ComGuard&) = delete;
  ComGuard& operator=(const ComGuard&) = delete;

 private:
  bool initialized_;
};

// The description the server gave, else the system's text for the code, else the code.
UnicodeString FailureText(HRESULT result, EXCEPINFO* info) {
  HRESULT code = result;
  if (info) {
    if (info->pfnDeferredFillIn) info->pfnDeferredFillIn(info);
    if (info->bstrDescription && SysStringLen(info->bstrDescription) > 0) {
      return UnicodeString(reinterpret_cast<const char16_t*>(info->bstrDescription),
                           SysStringLen(info->bstrDescription));
    }
    if (FAILED(info->scode)) code = info->scode;
  }
  UnicodeString text = win::FormatSystemMessage(static_cast<DWORD>(code));
  return text.empty() ? win::HexCode(static_cast<DWORD>(code)) : text;
}

// Excel refuses calls while the user edits a cell or one of its dialogs is open; that ends as
// soon as the user leaves the cell, so a refused call is tried again for a short while.
constexpr auto kBusyRetryFor = std::chrono::seconds(2);
constexpr DWORD kBusyRetryStepMs = 100;
constexpr char16_t kBusyMessage[] =
    u"Excelが操作を受け付けません。セルの編集やダイアログを終えてから、もう一度実行してください。";

bool IsBusy(HRESULT result) {
  return result == RPC_E_CALL_REJECTED || result == RPC_E_SERVERCALL_RETRYLATER;
}

// Runs `call` until it is not refused or the time is up; the caller shows the hourglass.
template <class Call>
HRESULT RetryWhileBusy(Call call) {
  const auto end = std::chrono::steady_clock::now() + kBusyRetryFor;
  HRESULT result = call();
  while (IsBusy(result) && std::chrono::steady_clock::now() < end) {
    Sleep(kBusyRetryStepMs);
    result = call();
  }
  if (IsBusy(result)) throw Exception(kBusyMessage);
  return result;
}

struct ExcepInfo : EXCEPINFO {
  ExcepInfo() : EXCEPINFO{} {}
  ~ExcepInfo() {
    SysFreeString(bstrSource);
    SysFreeString(bstrDescription);
    SysFreeString(bstrHelpFile);
  }
  ExcepInfo(const ExcepInfo&) = delete;
  ExcepInfo& operator=(const ExcepInfo&) = delete;
};

struct ScopedVariant {
  VARIANT value;
  ScopedVariant() { VariantInit(&value); }
  ~ScopedVariant() { VariantClear(&value); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;
};

class DispatchObject;
Variant FromVariant(const VARIANT& value, const std::shared_ptr<ComGuard>& guard);

class DispatchObject final : public AutomationObject {
 public:
  // Takes over one reference of `dispatch`.
  DispatchObject(std::shared_ptr<ComGuard> guard, IDispatch* dispatch)
      : guard_(std::move(guard)), dispatch_(dispatch) {}
  // The reference goes before the guard, so CoUninitialize comes last.
  ~DispatchObject() override { dispatch_->Release(); }
  DispatchObject(const DispatchObject&) = delete;
  DispatchObject& operator=(const DispatchObject&) = delete;

  IDispatch* Dispatch() const { return dispatch_; }

  Variant Invoke(const UnicodeString& name, CallKind kind,
                 const std::vector<Variant>& args) override {
    UnicodeString nameCopy = name;
    LPOLESTR names[] = {Wide(nameCopy)};
    DISPID member = DISPID_UNKNOWN;
    HRESULT result = RetryWhileBusy([&] {
      return dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &member);
    });
    if (FAILED(result)) throw Exception(FailureText(result, nullptr));

    // Invoke takes the arguments last to first.
    std::vector<ScopedVariant> arguments(args.size());
    for (size_t i = 0; i < args.size(); ++i) {
      ToVariant(args[i], arguments[args.size() - 1 - i].value);
    }
    std::vector<VARIANTARG> raw(args.size());
    for (size_t i = 0; i < args.size(); ++i) raw[i] = arguments[i].value;
    DISPPARAMS parameters{raw.empty() ? nullptr : raw.data(), nullptr,
                          static_cast<UINT>(raw.size()), 0};
    ScopedVariant value;
    ExcepInfo failure;
    UINT badArgument = 0;
    const WORD flags = kind == CallKind::Method ? DISPATCH_METHOD : DISPATCH_PROPERTYGET;
    result = RetryWhileBusy([&] {
      return dispatch_->Invoke(member, IID_NULL, LOCALE_SYSTEM_DEFAULT, flags, &parameters,
                               &value.value, &failure, &badArgument);
    });
    if (FAILED(result)) {
      throw Exception(FailureText(result, result == DISP_E_EXCEPTION ? &failure : nullptr));
    }
    if (kind == CallKind::Method) return Variant();
    return FromVariant(value.value, guard_);
  }

 private:
  static void ToVariant(const Variant& from, VARIANT& to) {
    if (from.IsInt()) {
      V_VT(&to) = VT_I4;
      V_I4(&to) = from.ToInt();
    } else if (from.IsString()) {
      const UnicodeString text = from.ToString();
      BSTR string = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                      static_cast<UINT>(text.size()));
      if (!string) throw std::bad_alloc();
      V_VT(&to) = VT_BSTR;
      V_BSTR(&to) = string;
    } else if (from.IsObject()) {
      const auto* object = dynamic_cast<const DispatchObject*>(from.ToObject().get());
      if (!object) throw Exception(u"COM に渡せないオブジェクトです。");
      object->Dispatch()->AddRef();
      V_VT(&to) = VT_DISPATCH;
      V_DISPATCH(&to) = object->Dispatch();
    }
    // An empty Variant stays VT_EMPTY.
  }

  std::shared_ptr<ComGuard> guard_;
  IDispatch* dispatch_;
};

Variant FromVariant(const VARIANT& value, const std::shared_ptr<ComGuard>& guard) {
  switch (V_VT(&value)) {
    case VT_EMPTY:
    case VT_NULL:
      return Variant();
    case VT_I4:
      return Variant(static_cast<int>(V_I4(&value)));
    case VT_BSTR:
      return Variant(UnicodeString(reinterpret_cast<const char16_t*>(V_BSTR(&value)),
                                   SysStringLen(V_BSTR(&value))));
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      IUnknown* unknown = V_VT(&value) == VT_DISPATCH ? V_DISPATCH(&value) : V_UNKNOWN(&value);
      if (!unknown) return Variant();
      IDispatch* dispatch = nullptr;
      const HRESULT result =
          unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
      if (FAILED(result) || !dispatch) throw Exception(FailureText(result, nullptr));
      return Variant(std::make_shared<DispatchObject>(guard, dispatch));
    }
    default: {
      // Other numbers (VT_I2, VT_R8, VT_BOOL, ...) through the system's conversion.
      ScopedVariant converted;
      HRESULT result = VariantChangeType(&converted.value, const_cast<VARIANT*>(&value), 0, VT_I4);
      if (SUCCEEDED(result)) return Variant(static_cast<int>(V_I4(&converted.value)));
      result = VariantChangeType(&converted.value, const_cast<VARIANT*>(&value), 0, VT_BSTR);
      if (SUCCEEDED(result)) return FromVariant(converted.value, guard);
      throw Exception(FailureText(result, nullptr));
    }
  }
}

}  // namespace

std::optional<ActiveObject> GetBackendActiveObject(const UnicodeString& progId) {
  // COM must be up on this thread before the lookup; a failed lookup leaves it as it was.
  auto guard = std::make_shared<ComGuard>();
  if (!win::IsValidName(progId)) return std::nullopt;
  CLSID classId{};
  if (FAILED(CLSIDFromProgID(Wide(progId), &classId))) return std::nullopt;
  IUnknown* unknown = nullptr;
  if (FAILED(::GetActiveObject(classId, nullptr, &unknown)) || !unknown) return std::nullopt;
  IDispatch* dispatch = nullptr;
  const HRESULT result =
      unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
  unknown->Release();
  if (FAILED(result) || !dispatch) return std::nullopt;

  ActiveObject active;
  active.application = std::make_shared<DispatchObject>(std::move(guard), dispatch);
  active.bringMainWindowToFront = [] {
    if (HWND window = FindWindowW(L"XLMAIN", nullptr)) SetForegroundWindow(window);
  };
  return active;
}

}  // namespace kestrine::automation
