// The executable's own VERSIONINFO resource (GetFileVersionInfoW and VerQueryValueW).
#include "app/AppInfo.h"
#include "platform/Platform.h"
#include "platform/win/Win32Gui.h"

namespace kestrine::app {

namespace {

class ResourceVersionData final : public TVersionData {
 public:
  explicit ResourceVersionData(win::VersionResource resource) : resource_(std::move(resource)) {}

  std::uint32_t Translation() const override { return resource_.Translation(); }
  std::optional<UnicodeString> QueryString(const UnicodeString& subBlock) const override {
    return resource_.QueryString(subBlock);
  }

 private:
  win::VersionResource resource_;
};

}  // namespace

std::unique_ptr<TVersionData> ReadProgramVersionData() {
  auto resource = win::VersionResource::Read(platform::ExecutablePath());
  if (!resource) return nullptr;
  return std::make_unique<ResourceVersionData>(std::move(*resource));
}

}  // namespace kestrine::app
