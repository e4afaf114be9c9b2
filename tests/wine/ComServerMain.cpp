// The test automation server as a process of its own: serves the in-memory model as the
// running "Excel.Application" until told to stop.
//   kestrine_com_server READY_EVENT STOP_EVENT
#include <windows.h>

#include <cstdio>

#include "DispatchServer.h"
#include "WinTestSupport.h"

using namespace kestrine::test;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kestrine_com_server READY_EVENT STOP_EVENT\n");
    return 2;
  }
  const HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
  const HANDLE stop = OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
  if (!ready || !stop) return 3;

  ComApartment apartment;
  if (FAILED(apartment.Result())) return 4;
  AutomationServer server;
  server.AddBook("売上.xlsx", {"表1", "Hidden", "集計"}).sheets[1].visible = 0;
  server.AddBook("Budget.xlsx", {"Q1"});
  server.SetActive(u"Budget.xlsx", u"Q1", 1, 1);
  {
    IDispatch* dispatch = MakeDispatch(ApplicationOf(server), std::make_shared<DispatchLog>());
    RunningObject running(dispatch);
    dispatch->Release();
    if (!running.Registered()) return 5;
    SetEvent(ready);
    // Calls from other processes arrive as window messages of this apartment.
    while (MsgWaitForMultipleObjects(1, &stop, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
      PumpMessages();
    }
  }
  CloseHandle(ready);
  CloseHandle(stop);
  return 0;
}
