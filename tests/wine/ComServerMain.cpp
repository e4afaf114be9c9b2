// The test automation server as a process of its own: serves the in-memory model as the
// running "Excel.Application" until told to stop.
//   kestrine_com_server READY_EVENT STOP_EVENT [REFUSED_CALLS]
//   kestrine_com_server --demo        (until killed; registers "Excel.Application" itself)
// REFUSED_CALLS: so many calls are refused as by a busy Excel before it answers. --demo
// serves a few more workbooks, for screenshots of the program.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "DispatchServer.h"
#include "WinTestSupport.h"

using namespace kestrine::test;

int main(int argc, char** argv) {
  const bool demo = argc == 2 && std::string(argv[1]) == "--demo";
  if (argc != 3 && argc != 4 && !demo) {
    std::fprintf(stderr,
                 "usage: kestrine_com_server READY_EVENT STOP_EVENT [REFUSED_CALLS]\n"
                 "       kestrine_com_server --demo\n");
    return 2;
  }
  // In the demo, nothing ever signals the stop event.
  const HANDLE ready = demo ? CreateEventA(nullptr, TRUE, FALSE, nullptr)
                            : OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
  const HANDLE stop =
      demo ? CreateEventA(nullptr, TRUE, FALSE, nullptr) : OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
  if (!ready || !stop) return 3;

  ComApartment apartment;
  if (FAILED(apartment.Result())) return 4;
  if (demo) {
    std::string why;
    if (!RegisterTestProgId(why)) {
      std::fprintf(stderr, "%s\n", why.c_str());
      return 6;
    }
  }
  AutomationServer server;
  server.AddBook("売上.xlsx", {"表1", "Hidden", "集計"}).sheets[1].visible = 0;
  server.AddBook("Budget.xlsx", {"Q1"});
  if (demo) {
    server.AddBook("予定表.xlsx", {"一月", "二月", "三月"});
    server.AddBook("在庫管理.xlsx", {"倉庫A", "倉庫B", "集計表"});
  }
  server.SetActive(u"Budget.xlsx", u"Q1", 1, 1);
  {
    auto log = std::make_shared<DispatchLog>();
    if (argc == 4 && !demo) log->refuseCalls = std::atoi(argv[3]);
    IDispatch* dispatch = MakeDispatch(ApplicationOf(server), log);
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
