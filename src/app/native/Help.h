#pragma once
#include "base/UnicodeString.h"

class QWidget;

namespace kestrine::native {

// Opens the help file in the platform's viewer, at `topic` or, for 0, at its default topic.
// Whether the file exists is the viewer's business; nothing is reported here.
void ShowHelp(QWidget* owner, const UnicodeString& helpFile, int topic);

}  // namespace kestrine::native
