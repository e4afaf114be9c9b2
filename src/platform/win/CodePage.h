#pragma once
#include <memory>

#include "platform/Platform.h"

namespace kestrine::win {

// A converter for any Windows code page, with the rules of the system's ANSI one (which is
// this for GetACP()); null when the system has no such code page.
std::shared_ptr<const platform::AnsiCodec> MakeCodePageCodec(unsigned codePage);

}  // namespace kestrine::win
