#pragma once
// The program's command line: --help and --version answer on the terminal without a window;
// anything else the program does not know is refused. Qt's own options pass through.
#include <QString>
#include <QStringList>

namespace kestrine::app {

struct CommandLineOutcome {
  bool run = true;  // false: print `text` and end with `exitCode`
  int exitCode = 0;
  QString text;        // ends with a line feed when not empty
  bool error = false;  // `text` goes to the error stream
};

// `arguments` as the process got them, the program's name first. `helpLocation` is named in
// the usage text; empty when the help is missing.
CommandLineOutcome ParseCommandLine(const QStringList& arguments, const QString& version,
                                    const QString& helpLocation);

}  // namespace kestrine::app
