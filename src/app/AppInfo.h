#pragma once
// The program's version resource: the string table of its first translation. Free of Qt; the
// platform part only hands over the raw data (native/*/VersionData*.cpp).
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "base/UnicodeString.h"

namespace kestrine::app {

// One executable's version resource as the platform gives it.
class TVersionData {
 public:
  virtual ~TVersionData() = default;
  // The first entry of \VarFileInfo\Translation: language in the low 16 bits, code page in the
  // high 16 bits; 0 when the resource has no translation table.
  virtual std::uint32_t Translation() const = 0;
  // The text at a sub-block such as \StringFileInfo\041103A4\FileVersion, or nothing.
  virtual std::optional<UnicodeString> QueryString(const UnicodeString& subBlock) const = 0;
};

// The running program's version resource, or null when it cannot be read. Implemented once
// per platform.
std::unique_ptr<TVersionData> ReadProgramVersionData();

// Tests put a stand-in here; an empty function brings the platform's reader back.
using VersionDataReader = std::function<std::unique_ptr<TVersionData>()>;
VersionDataReader SetVersionDataReader(VersionDataReader reader);

}  // namespace kestrine::app

class TkAppInfo {
 public:
  // Indexes of GetVersionString.
  enum : int {
    Comments = 0,
    CompanyName,
    FileDescription,
    FileVersion,
    InternalName,
    LegalCopyright,
    LegalTradeMarks,
    OriginalFilename,
    PrivateBuild,
    ProductName,
    ProductVersion,
  };

  // Reads the version resource anew; throws Exception "バージョン情報を取得できません" when
  // there is none.
  TkAppInfo();
  ~TkAppInfo();
  TkAppInfo(const TkAppInfo&) = delete;
  TkAppInfo& operator=(const TkAppInfo&) = delete;

  std::uint32_t GetTranslation() const { return translation_; }
  // The value of the key at the index for the stored translation; empty when the table lacks
  // the key or the index names none.
  UnicodeString GetVersionString(int index) const;

  // "\StringFileInfo\LLLLCCCC\Key": language and code page as four upper-case hex digits each.
  static UnicodeString SubBlockName(std::uint32_t translation, const UnicodeString& key);
  // The key for an index; empty for an index outside the table.
  static UnicodeString KeyName(int index);

 private:
  std::unique_ptr<kestrine::app::TVersionData> data_;
  std::uint32_t translation_ = 0;
};
