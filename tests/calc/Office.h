#pragma once
// A headless LibreOffice Calc of the tests' own: its own profile in the build folder, its own
// pipe, stopped by its process id. Nothing touches the user's office or profile.
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "base/UnicodeString.h"
#include "excel/uno/UnoConnection.h"
#include "support/ChildProcess.h"

namespace kestrine::calc {

class Office {
 public:
  enum class Accept { CommandLine, ProfileSetting };

  // `name` picks the profile folder; a profile is kept between runs, because the first
  // start with a fresh one takes seconds. Also points the backend at this office's pipe.
  // With Accept::ProfileSetting the office is started plainly and must listen on `pipe`
  // because its profile says so. With a `display` it shows its windows there instead of
  // running headless.
  explicit Office(const std::string& name, Accept accept = Accept::CommandLine,
                  const std::string& pipe = "", const std::string& display = "");
  static std::string ProfileFor(const std::string& name);
  ~Office();  // kills the office if it still runs
  Office(const Office&) = delete;
  Office& operator=(const Office&) = delete;

  const std::string& Pipe() const { return pipe_; }
  const std::string& Profile() const { return profile_; }

  void Kill();  // SIGKILL and reap
  // Asks the office to quit, as a user would, and waits for it; false if it stays.
  bool Terminate();
  void Freeze();  // SIGSTOP
  void Thaw();    // SIGCONT

  // --- set-up and read-back through a UNO connection of the test's own ---
  // Opens copies of the sample workbooks (Budget.xlsx, 予定表.xlsx, Inventory.ods), in order.
  void OpenSamples();
  // Opens a new empty spreadsheet and gives it `sheets` sheets named S1...; returns its title.
  UnicodeString OpenNewSpreadsheet(int sheets);
  void CloseAll();
  UnicodeString CurrentTitle();  // the desktop's current document, "" for none
  UnicodeString ActiveSheetName(const UnicodeString& title);
  // The selected cell of a document as 1-based (column, row).
  std::pair<int, int> SelectedCell(const UnicodeString& title);
  void SelectCell(const UnicodeString& title, int column, int row);
  void SetMinimized(const UnicodeString& title, bool minimized);
  bool IsMinimized(const UnicodeString& title);

  // A connection for the test's own calls: the one the backend holds, if it holds one
  // (a second bridge to the same office would mix their proxies).
  std::shared_ptr<uno::Connection> Link();

 private:
  void Start();

  std::string name_;
  std::string profile_;
  std::string docs_;
  std::string pipe_;
  Accept accept_;
  std::string display_;
  test::ChildProcess process_;
};

// Where the sample workbooks are kept.
std::string SamplesDir();

}  // namespace kestrine::calc
