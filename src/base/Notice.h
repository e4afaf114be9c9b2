#pragma once
#include <functional>

#include "base/UnicodeString.h"

// The core's one way to show a modal warning: the GUI installs a message box, tests a recorder.
namespace kestrine {

using WarningHandler = std::function<void(const UnicodeString& text)>;

// Returns the handler that was installed before. An empty handler restores the default,
// which writes the text to standard error.
WarningHandler SetWarningHandler(WarningHandler handler);
void ShowWarning(const UnicodeString& text);

}  // namespace kestrine
