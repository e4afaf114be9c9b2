#pragma once
// The LibreOffice Calc backend behind GetActiveObject("Excel.Application").
#include <chrono>
#include <string>

#include "base/UnicodeString.h"

namespace kestrine::uno {

// The per-user pipe a running office accepts UNO connections on.
inline constexpr const char* kDefaultPipeName = "kestrine";

// A remote call that gets no answer within this time drops the connection.
inline constexpr std::chrono::seconds kCallTimeout{10};

// Tests talk to an office of their own; nothing else changes the pipe.
void SetPipeNameForTesting(const std::string& name);
std::string PipeName();

// Failure texts shown to the user.
extern const char16_t* const kConnectionLostMessage;
extern const char16_t* const kNotRespondingMessage;
// A workbook closed or a sheet deleted while the command still holds it.
extern const char16_t* const kGoneMessage;

}  // namespace kestrine::uno
