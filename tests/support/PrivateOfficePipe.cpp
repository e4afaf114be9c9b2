// With the LibreOffice backend built in, "no spreadsheet application" must not find an office
// the user or another test left listening on the usual pipe.
#include <unistd.h>

#include <string>

#include "excel/uno/UnoBackend.h"

namespace {

const bool kIsolated = [] {
  kestrine::uno::SetPipeNameForTesting("kestrine-test-nobody-" + std::to_string(getpid()));
  return true;
}();

}  // namespace
