#include <cstdlib>

#include "support/TestHelpers.h"

namespace kestrine::test {

// The C runtime has no unsetenv: an empty value removes the variable.
void SetEnv(const char* name, const std::optional<std::string>& value) {
  _putenv_s(name, value ? value->c_str() : "");
}

}  // namespace kestrine::test
