#pragma once
// A COM automation server for the tests: any AutomationObject (the in-memory model) served
// through a hand-made IDispatch, registered in the running-object table under a class whose
// program identifier "Excel.Application" the tests register.
#include <windows.h>

#include <oleauto.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "excel/Automation.h"
#include "support/AutomationServer.h"

namespace kestrine::test {

// {B5E0C8A2-3F47-4C1D-9A6E-7D2F18C4E913}
inline constexpr CLSID kTestApplicationClassId = {
    0xb5e0c8a2, 0x3f47, 0x4c1d, {0x9a, 0x6e, 0x7d, 0x2f, 0x18, 0xc4, 0xe9, 0x13}};

// How the client called, as the server saw it.
struct DispatchCall {
  std::u16string name;
  WORD flags;
  LCID locale;
  std::vector<VARTYPE> argTypes;  // as received: last argument first
  UINT namedArgs;
  bool resultSupplied;
};

struct DispatchLog {
  std::vector<DispatchCall> calls;
  std::set<std::u16string> unknownNames;  // GetIDsOfNames answers DISP_E_UNKNOWNNAME
  // As a busy Excel: this many calls (GetIDsOfNames or Invoke) are refused with `refusal`
  // before the server answers again; refused calls are not logged.
  int refuseCalls = 0;
  HRESULT refusal = RPC_E_CALL_REJECTED;
};

// A new IDispatch (one reference) over the object; objects it returns are served the same way.
IDispatch* MakeDispatch(std::shared_ptr<AutomationObject> object, std::shared_ptr<DispatchLog> log);

// The model's application object, taken through the in-process table.
std::shared_ptr<AutomationObject> ApplicationOf(AutomationServer& server);

// Points HKCR\Excel.Application at kTestApplicationClassId unless another class is there
// (a real Excel must never be overwritten); `why` says what stood in the way.
bool RegisterTestProgId(std::string& why);

// Registration in the running-object table; revoked, disconnected and drained when destroyed.
class RunningObject {
 public:
  explicit RunningObject(IDispatch* dispatch);  // adds its own reference
  ~RunningObject();
  RunningObject(const RunningObject&) = delete;
  RunningObject& operator=(const RunningObject&) = delete;
  bool Registered() const { return cookie_ != 0; }
  HRESULT Result() const { return result_; }

 private:
  IDispatch* dispatch_;
  DWORD cookie_ = 0;
  HRESULT result_;
};

// Dispatches the messages waiting in this thread's queue (COM's calls arrive as messages).
void PumpMessages();

}  // namespace kestrine::test
