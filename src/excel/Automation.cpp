#include "excel/Automation.h"

#include <map>

namespace {
std::map<UnicodeString, ActiveObject>& Table() {
  static std::map<UnicodeString, ActiveObject> table;
  return table;
}
}  // namespace

void RegisterActiveObject(const UnicodeString& progId, ActiveObject object) {
  Table()[progId] = std::move(object);
}

void RevokeActiveObject(const UnicodeString& progId) { Table().erase(progId); }

std::optional<ActiveObject> GetActiveObject(const UnicodeString& progId) {
  if (auto it = Table().find(progId); it != Table().end()) return it->second;
  return kestrine::automation::GetBackendActiveObject(progId);
}
