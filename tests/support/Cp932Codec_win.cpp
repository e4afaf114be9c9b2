// Code page 932 from the system, the same converter the program uses on a Japanese Windows.
#include "platform/win/CodePage.h"
#include "support/TestHelpers.h"

namespace kestrine::test {

std::shared_ptr<const platform::AnsiCodec> MakeCp932Codec() { return win::MakeCodePageCodec(932); }

}  // namespace kestrine::test
