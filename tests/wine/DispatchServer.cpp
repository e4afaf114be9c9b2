#include "DispatchServer.h"

#include <atomic>
#include <map>

#include "base/Exception.h"

namespace kestrine::test {

namespace {

// Member names get identifiers in order of first use; the spelling is kept as asked, so the
// model sees exactly the name the client sent.
class NameTable {
 public:
  DISPID Id(const std::u16string& name) {
    auto [it, added] = ids_.try_emplace(name, static_cast<DISPID>(ids_.size() + 1));
    if (added) names_[it->second] = name;
    return it->second;
  }
  const std::u16string* Name(DISPID id) const {
    auto it = names_.find(id);
    return it == names_.end() ? nullptr : &it->second;
  }

 private:
  std::map<std::u16string, DISPID> ids_;
  std::map<DISPID, std::u16string> names_;
};

Variant ToModel(const VARIANT& value);
void FromModel(const Variant& value, const std::shared_ptr<DispatchLog>& log, VARIANT* out);

// COM interfaces have no virtual destructor: the object deletes itself in Release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class Dispatch final : public IDispatch {
 public:
  Dispatch(std::shared_ptr<AutomationObject> object, std::shared_ptr<DispatchLog> log)
      : object_(std::move(object)), log_(std::move(log)) {}
  virtual ~Dispatch() = default;

  const std::shared_ptr<AutomationObject>& Object() const { return object_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (!names || !ids) return E_POINTER;
    if (Refused()) return log_->refusal;
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
      const std::u16string name(reinterpret_cast<const char16_t*>(names[i]));
      if (log_->unknownNames.count(name)) {
        ids[i] = DISPID_UNKNOWN;
        result = DISP_E_UNKNOWNNAME;
      } else {
        ids[i] = Names().Id(name);
      }
    }
    return result;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* failure, UINT*) override {
    const std::u16string* name = Names().Name(id);
    if (!name) return DISP_E_MEMBERNOTFOUND;
    if (Refused()) return log_->refusal;
    DispatchCall call{*name, flags, locale, {}, params ? params->cNamedArgs : 0, result != nullptr};
    std::vector<Variant> args;
    if (params) {
      for (UINT i = 0; i < params->cArgs; ++i) call.argTypes.push_back(V_VT(&params->rgvarg[i]));
      // Invoke gets them last to first.
      for (UINT i = params->cArgs; i > 0; --i) args.push_back(ToModel(params->rgvarg[i - 1]));
    }
    log_->calls.push_back(call);
    if (call.namedArgs) return DISP_E_NONAMEDARGS;
    try {
      const CallKind kind = (flags & DISPATCH_METHOD) ? CallKind::Method : CallKind::PropertyGet;
      const Variant answer = object_->Invoke(*name, kind, args);
      if (result) FromModel(answer, log_, result);
      return S_OK;
    } catch (const Exception& e) {
      if (failure) {
        *failure = EXCEPINFO{};
        failure->bstrSource = SysAllocString(L"Kestrine test server");
        failure->bstrDescription =
            SysAllocStringLen(reinterpret_cast<const OLECHAR*>(e.Message().data()),
                              static_cast<UINT>(e.Message().size()));
        failure->scode = static_cast<SCODE>(0x800A03EC);  // what Excel reports for its errors
      }
      return DISP_E_EXCEPTION;
    }
  }

 private:
  bool Refused() {
    if (log_->refuseCalls <= 0) return false;
    --log_->refuseCalls;
    return true;
  }

  static NameTable& Names() {
    static NameTable table;
    return table;
  }

  std::atomic<ULONG> references_{1};
  std::shared_ptr<AutomationObject> object_;
  std::shared_ptr<DispatchLog> log_;
};
#pragma GCC diagnostic pop

Variant ToModel(const VARIANT& value) {
  switch (V_VT(&value)) {
    case VT_I4:
      return Variant(static_cast<int>(V_I4(&value)));
    case VT_BSTR:
      return Variant(UnicodeString(reinterpret_cast<const char16_t*>(V_BSTR(&value)),
                                   SysStringLen(V_BSTR(&value))));
    case VT_DISPATCH:
      if (auto* own = dynamic_cast<Dispatch*>(V_DISPATCH(&value))) return Variant(own->Object());
      return Variant();
    default:
      // Anything else reaches the model as empty, which it rejects like Excel would.
      return Variant();
  }
}

void FromModel(const Variant& value, const std::shared_ptr<DispatchLog>& log, VARIANT* out) {
  VariantInit(out);
  if (value.IsInt()) {
    V_VT(out) = VT_I4;
    V_I4(out) = value.ToInt();
  } else if (value.IsString()) {
    const UnicodeString text = value.ToString();
    V_VT(out) = VT_BSTR;
    V_BSTR(out) = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                    static_cast<UINT>(text.size()));
  } else if (value.IsObject()) {
    V_VT(out) = VT_DISPATCH;
    V_DISPATCH(out) = MakeDispatch(value.ToObject(), log);
  }
}

}  // namespace

IDispatch* MakeDispatch(std::shared_ptr<AutomationObject> object,
                        std::shared_ptr<DispatchLog> log) {
  return new Dispatch(std::move(object), std::move(log));
}

std::shared_ptr<AutomationObject> ApplicationOf(AutomationServer& server) {
  server.Register();
  auto active = ::GetActiveObject(u"Excel.Application");
  server.Revoke();
  return active ? active->application : nullptr;
}

bool RegisterTestProgId(std::string& why) {
  wchar_t wanted[64] = {};
  StringFromGUID2(kTestApplicationClassId, wanted, 64);
  HKEY key = nullptr;
  LONG status = RegCreateKeyExW(HKEY_CLASSES_ROOT, L"Excel.Application\\CLSID", 0, nullptr, 0,
                                KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) {
    why = "cannot write HKCR\\Excel.Application (error " + std::to_string(status) + ")";
    return false;
  }
  wchar_t present[64] = {};
  DWORD size = sizeof present;
  DWORD type = 0;
  status = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(present), &size);
  bool ok = true;
  if (status == ERROR_SUCCESS && present[0] != L'\0' && lstrcmpiW(present, wanted) != 0) {
    why = "another Excel.Application class is registered here; not replacing it";
    ok = false;
  } else {
    const DWORD bytes = static_cast<DWORD>((lstrlenW(wanted) + 1) * sizeof(wchar_t));
    status = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(wanted), bytes);
    if (status != ERROR_SUCCESS) {
      why = "cannot set HKCR\\Excel.Application\\CLSID (error " + std::to_string(status) + ")";
      ok = false;
    }
  }
  RegCloseKey(key);
  return ok;
}

RunningObject::RunningObject(IDispatch* dispatch) : dispatch_(dispatch) {
  dispatch_->AddRef();
  result_ =
      ::RegisterActiveObject(dispatch_, kTestApplicationClassId, ACTIVEOBJECT_STRONG, &cookie_);
  if (FAILED(result_)) cookie_ = 0;
}

RunningObject::~RunningObject() {
  if (cookie_) ::RevokeActiveObject(cookie_, nullptr);
  // Clients holding proxies get errors from now on instead of keeping the object alive.
  CoDisconnectObject(dispatch_, 0);
  PumpMessages();
  dispatch_->Release();
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace kestrine::test
