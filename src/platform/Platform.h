#pragma once
// Operating-system services of the core, one implementation per platform (win/, posix/).
#include <memory>
#include <string>
#include <string_view>

#include "base/UnicodeString.h"

namespace kestrine::platform {

// The folder of a shell folder constant (CSIDL value); empty when the system has none.
// CSIDL_APPDATA (26) is the per-user folder for settings that roam with the user.
UnicodeString GetSpecialFolderPath(int csidl);

// The character that separates folders in a path.
char16_t PathSeparator();

// Unicode upper-casing by the system's rules, for letters of any script.
UnicodeString UpperCase(std::u16string_view text);
// Names compared without regard to case, by the same rules.
bool SameText(std::u16string_view a, std::u16string_view b);

// The full path of the running executable.
UnicodeString ExecutablePath();

// The system's text for an error code (errno on POSIX, GetLastError on Windows).
UnicodeString SystemErrorText(int code);

// Converter between UTF-16 and the system's "ANSI" code page.
class AnsiCodec {
 public:
  virtual ~AnsiCodec() = default;
  // False when a character has no representation in the code page.
  virtual bool Encode(std::u16string_view text, std::string& bytes) const = 0;
  virtual UnicodeString Decode(std::string_view bytes) const = 0;
};
// The codec in use; the system's unless replaced. Passing null restores the system's.
const AnsiCodec& GetAnsiCodec();
std::shared_ptr<const AnsiCodec> SetAnsiCodec(std::shared_ptr<const AnsiCodec> codec);
std::shared_ptr<const AnsiCodec> MakeSystemAnsiCodec();

// File access. Every failure returns false with the system's error code in `error`.
enum class FileState { Missing, File, Other };
FileState GetFileState(const UnicodeString& path);
// Reads a whole file, opened so that others may read but not write it meanwhile.
bool ReadWholeFile(const UnicodeString& path, std::string& bytes, int& error);
// Replaces the file's content as one step: a temporary file in the same folder is written,
// flushed to disk and renamed over the old one. On failure the old file is left untouched.
bool ReplaceFileAtomically(const UnicodeString& path, std::string_view bytes, int& error);
bool DirectoryExists(const UnicodeString& path);
// Creates the folder with every missing parent.
bool ForceDirectories(const UnicodeString& path);

}  // namespace kestrine::platform
