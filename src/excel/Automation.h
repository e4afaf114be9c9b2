#pragma once
// The whole contract with a spreadsheet application: late-bound calls by member name.
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "base/UnicodeString.h"
#include "excel/Variant.h"

enum class CallKind { PropertyGet, Method };

class AutomationObject {
 public:
  virtual ~AutomationObject() = default;
  // One late-bound call; args in the member's own order. Throws Exception on failure.
  virtual Variant Invoke(const UnicodeString& name, CallKind kind,
                         const std::vector<Variant>& args) = 0;
};

struct ActiveObject {
  std::shared_ptr<AutomationObject> application;
  // Brings the application's main window to the front; does nothing when there is none.
  std::function<void()> bringMainWindowToFront;
};

// The in-process table of active objects stands first in the lookup, as the system's
// running-object table does for COM servers; then the platform's backend is asked.
void RegisterActiveObject(const UnicodeString& progId, ActiveObject object);
void RevokeActiveObject(const UnicodeString& progId);
std::optional<ActiveObject> GetActiveObject(const UnicodeString& progId);

namespace kestrine::automation {
// Implemented once per backend (COM, UNO, or none): the running application, or nothing.
std::optional<ActiveObject> GetBackendActiveObject(const UnicodeString& progId);
}  // namespace kestrine::automation
