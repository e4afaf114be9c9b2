#include "app/AppInfo.h"

#include <utility>

#include "base/Exception.h"

namespace kestrine::app {

namespace {
VersionDataReader& ReaderSlot() {
  static VersionDataReader reader;
  return reader;
}
}  // namespace

VersionDataReader SetVersionDataReader(VersionDataReader reader) {
  return std::exchange(ReaderSlot(), std::move(reader));
}

}  // namespace kestrine::app

namespace {

const char16_t* const kKeys[] = {
    u"Comments",     u"CompanyName",    u"FileDescription", u"FileVersion",
    u"InternalName", u"LegalCopyright", u"LegalTradeMarks", u"OriginalFilename",
    u"PrivateBuild", u"ProductName",    u"ProductVersion",
};
constexpr int kKeyCount = static_cast<int>(sizeof kKeys / sizeof kKeys[0]);

UnicodeString Hex4(std::uint32_t value) {
  const char16_t digits[] = u"0123456789ABCDEF";
  UnicodeString text(4, u'0');
  for (int i = 3; i >= 0; --i, value >>= 4) text[static_cast<size_t>(i)] = digits[value & 0xF];
  return text;
}

}  // namespace

TkAppInfo::TkAppInfo() {
  const auto& reader = kestrine::app::ReaderSlot();
  data_ = reader ? reader() : kestrine::app::ReadProgramVersionData();
  if (!data_) throw Exception(u"バージョン情報を取得できません");
  translation_ = data_->Translation();
}

TkAppInfo::~TkAppInfo() = default;

UnicodeString TkAppInfo::KeyName(int index) {
  return (index >= 0 && index < kKeyCount) ? UnicodeString(kKeys[index]) : UnicodeString();
}

UnicodeString TkAppInfo::SubBlockName(std::uint32_t translation, const UnicodeString& key) {
  return u"\\StringFileInfo\\" + Hex4(translation & 0xFFFF) + Hex4(translation >> 16) + u"\\" + key;
}

UnicodeString TkAppInfo::GetVersionString(int index) const {
  const UnicodeString key = KeyName(index);
  // An empty key would name the string table itself, which holds no text.
  if (key.empty()) return {};
  return data_->QueryString(SubBlockName(translation_, key)).value_or(UnicodeString());
}
