// The version data compiled into the program, from the same source as the Windows resource.
#include <algorithm>
#include <vector>

#include "app/AppInfo.h"
#include "version/VersionData.h"

namespace kestrine::app {

namespace {

// The resource's names are matched without regard to ASCII case, as the Windows query does.
bool SameAscii(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::vector<std::u16string_view> SplitPath(std::u16string_view path) {
  std::vector<std::u16string_view> parts;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = std::min(path.find(u'\\', start), path.size());
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

UnicodeString BlockName() {
  const char16_t digits[] = u"0123456789ABCDEF";
  UnicodeString name;
  for (const unsigned value : {unsigned{version::kLanguage}, unsigned{version::kCodePage}}) {
    for (int shift = 12; shift >= 0; shift -= 4) name += digits[(value >> shift) & 0xF];
  }
  return name;
}

class CompiledVersionData final : public TVersionData {
 public:
  std::uint32_t Translation() const override { return version::kTranslation; }

  std::optional<UnicodeString> QueryString(const UnicodeString& subBlock) const override {
    const auto parts = SplitPath(subBlock);
    if (parts.size() != 3 || !SameAscii(parts[0], u"StringFileInfo") ||
        !SameAscii(parts[1], BlockName())) {
      return std::nullopt;
    }
    for (const version::StringEntry& entry : version::kStrings) {
      if (SameAscii(parts[2], entry.key)) return UnicodeString(entry.value);
    }
    return std::nullopt;
  }
};

}  // namespace

std::unique_ptr<TVersionData> ReadProgramVersionData() {
  return std::make_unique<CompiledVersionData>();
}

}  // namespace kestrine::app
