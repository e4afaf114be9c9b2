#pragma once
#include <QString>

#include "base/UnicodeString.h"

class QWidget;

namespace kestrine::native {

// Opens the help file in the platform's viewer, at `topic` or, for 0, at its default topic.
// Windows: HTML Help reports a missing file itself. Linux: the HTML pages beside the program
// open in the desktop's browser, and a missing page or browser is reported in a warning box.
void ShowHelp(QWidget* owner, const UnicodeString& helpFile, int topic);

// Where the help's start page is, for the command line's usage text; empty when it is missing.
QString HelpLocation(const UnicodeString& helpFile);

}  // namespace kestrine::native
