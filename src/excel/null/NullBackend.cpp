// No spreadsheet application can be reached on this platform: nothing is ever running.
#include "excel/Automation.h"

namespace kestrine::automation {

std::optional<ActiveObject> GetBackendActiveObject(const UnicodeString&) { return std::nullopt; }

}  // namespace kestrine::automation
