// Windows services of the core, over the shell, the national-language and the file API.
#include "platform/Platform.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>

#include "platform/win/CodePage.h"
#include "platform/win/WinText.h"

namespace kestrine::platform {

using win::Wide;
using win::WideData;

UnicodeString GetSpecialFolderPath(int csidl) {
  IMalloc* malloc = nullptr;
  if (FAILED(SHGetMalloc(&malloc))) return {};
  UnicodeString path;
  PIDLIST_ABSOLUTE list = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, &list))) {
    wchar_t buffer[MAX_PATH] = {};
    if (SHGetPathFromIDListW(list, buffer)) path = win::FromWide(buffer);
    malloc->Free(list);
  }
  malloc->Release();
  return path;
}

char16_t PathSeparator() {
  return u'\\';
}

UnicodeString UpperCase(std::u16string_view text) {
  if (text.empty()) return {};
  // Simple case mapping of the invariant locale: one character to one, for every script,
  // and the same whatever the user's locale is, so keys match on every machine.
  UnicodeString result(text.size(), u'\0');
  const int length = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, WideData(text),
                                   static_cast<int>(text.size()), Wide(result),
                                   static_cast<int>(result.size()), nullptr, nullptr, 0);
  if (length != static_cast<int>(text.size())) return UnicodeString(text);
  return result;
}

bool SameText(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && UpperCase(a) == UpperCase(b);
}

UnicodeString ExecutablePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      return win::FromWide(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

UnicodeString SystemErrorText(int code) {
  UnicodeString text = win::FormatSystemMessage(static_cast<DWORD>(code));
  return text.empty() ? win::HexCode(static_cast<DWORD>(code)) : text;
}

namespace {

class CodePageCodec final : public AnsiCodec {
 public:
  explicit CodePageCodec(UINT codePage) : codePage_(codePage) {}

  bool Encode(std::u16string_view text, std::string& bytes) const override {
    bytes.clear();
    if (text.empty()) return true;
    const bool utf8 = codePage_ == CP_UTF8;
    // No best fit: a look-alike ("e" for "é") would be silent loss. UTF-8 takes neither the
    // flag nor the used-default pointer, and reports unpaired surrogates as errors instead.
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultPtr = utf8 ? nullptr : &usedDefault;
    const int wideLength = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(codePage_, flags, WideData(text), wideLength, nullptr, 0,
                                         nullptr, usedDefaultPtr);
    if (size <= 0) return false;
    bytes.resize(static_cast<size_t>(size));
    WideCharToMultiByte(codePage_, flags, WideData(text), wideLength, bytes.data(), size, nullptr,
                        usedDefaultPtr);
    if (usedDefault) return false;
    // Some code pages map several characters to one byte sequence; only a round trip proves
    // that the text survives.
    return Decode(bytes) == text;
  }

  UnicodeString Decode(std::string_view bytes) const override {
    if (bytes.empty()) return {};
    const int byteLength = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(codePage_, 0, bytes.data(), byteLength, nullptr, 0);
    if (size <= 0) return {};
    UnicodeString text(static_cast<size_t>(size), u'\0');
    MultiByteToWideChar(codePage_, 0, bytes.data(), byteLength, Wide(text), size);
    return text;
  }

 private:
  UINT codePage_;
};

std::mutex codecMutex;
std::shared_ptr<const AnsiCodec>& CurrentCodec() {
  static std::shared_ptr<const AnsiCodec> codec = MakeSystemAnsiCodec();
  return codec;
}

}  // namespace

// The code page GetACP names when the codec is made.
std::shared_ptr<const AnsiCodec> MakeSystemAnsiCodec() {
  return std::make_shared<CodePageCodec>(GetACP());
}

const AnsiCodec& GetAnsiCodec() {
  std::lock_guard lock(codecMutex);
  return *CurrentCodec();
}

std::shared_ptr<const AnsiCodec> SetAnsiCodec(std::shared_ptr<const AnsiCodec> codec) {
  std::lock_guard lock(codecMutex);
  if (!codec) codec = MakeSystemAnsiCodec();
  CurrentCodec().swap(codec);
  return codec;
}

FileState GetFileState(const UnicodeString& path) {
  if (!win::IsValidName(path)) return FileState::Missing;
  const DWORD attributes = GetFileAttributesW(Wide(path));
  if (attributes == INVALID_FILE_ATTRIBUTES) return FileState::Missing;
  if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return FileState::Other;
  return FileState::File;
}

bool ReadWholeFile(const UnicodeString& path, std::string& bytes, int& error) {
  bytes.clear();
  if (!win::IsValidName(path)) {
    error = ERROR_INVALID_NAME;
    return false;
  }
  win::Handle file(CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) {
    error = static_cast<int>(GetLastError());
    return false;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) {
    error = static_cast<int>(GetLastError());
    return false;
  }
  if (size.QuadPart > 0x7FFFFFFF) {
    error = ERROR_FILE_TOO_LARGE;
    return false;
  }
  bytes.resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &read,
                  nullptr)) {
      error = static_cast<int>(GetLastError());
      bytes.clear();
      return false;
    }
    if (read == 0) break;  // shrank meanwhile
    done += read;
  }
  bytes.resize(done);
  return true;
}

namespace {

// "<name>.<pid>-<n>.tmp" beside the target, so the rename never crosses volumes.
UnicodeString TemporaryNameBeside(const UnicodeString& path) {
  static std::atomic<unsigned> counter{0};
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, ".%lu-%u.tmp",
                static_cast<unsigned long>(GetCurrentProcessId()), counter++);
  return path + UnicodeString(suffix, suffix + std::char_traits<char>::length(suffix));
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

bool ReplaceFileAtomically(const UnicodeString& path, std::string_view bytes, int& error) {
  if (!win::IsValidName(path)) {
    error = ERROR_INVALID_NAME;
    return false;
  }
  const DWORD attributes = GetFileAttributesW(Wide(path));
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    // The rename would go through a read-only file (Wine even lets it); the user marked the
    // file so that it is not written.
    if (attributes & FILE_ATTRIBUTE_READONLY) {
      error = ERROR_ACCESS_DENIED;
      return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      error = ERROR_DIRECTORY;
      return false;
    }
  }
  UnicodeString temporary;
  win::Handle file;
  // A leftover of a crashed run may hold the name; take the next one.
  for (int attempt = 0; attempt < 100 && !file; ++attempt) {
    temporary = TemporaryNameBeside(path);
    file.reset(CreateFileW(Wide(temporary), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (!file) {
    error = static_cast<int>(GetLastError());
    return false;
  }
  bool ok = WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
  if (!ok) error = static_cast<int>(GetLastError());
  file.reset();
  if (ok && !MoveFileExW(Wide(temporary), Wide(path),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = static_cast<int>(GetLastError());
    ok = false;
  }
  if (!ok) DeleteFileW(Wide(temporary));
  return ok;
}

bool DirectoryExists(const UnicodeString& path) {
  if (!win::IsValidName(path)) return false;
  const DWORD attributes = GetFileAttributesW(Wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const UnicodeString& path) {
  if (!win::IsValidName(path)) return false;
  UnicodeString folder = path;
  while (folder.size() > 1 && (folder.back() == u'\\' || folder.back() == u'/')) folder.pop_back();
  if (folder.empty()) return false;
  if (DirectoryExists(folder)) return true;
  const size_t slash = folder.find_last_of(u"\\/");
  if (slash != UnicodeString::npos && slash > 0) {
    const UnicodeString parent = folder.substr(0, slash);
    // Stop at a drive ("C:") and at the server part of a UNC name ("\\server").
    const bool drive = parent.size() == 2 && parent[1] == u':';
    const bool server = parent.size() > 2 && parent.starts_with(u"\\\\") &&
                        parent.find_first_of(u"\\/", 2) == UnicodeString::npos;
    if (!drive && !server && !ForceDirectories(parent)) return false;
  }
  if (CreateDirectoryW(Wide(folder), nullptr)) return true;
  return GetLastError() == ERROR_ALREADY_EXISTS && DirectoryExists(folder);
}

}  // namespace kestrine::platform

namespace kestrine::win {

std::shared_ptr<const platform::AnsiCodec> MakeCodePageCodec(unsigned codePage) {
  if (!IsValidCodePage(codePage)) return nullptr;
  return std::make_shared<platform::CodePageCodec>(codePage);
}

}  // namespace kestrine::win
