#pragma once
// Small helpers shared by the Windows code: UTF-16 strings as wchar_t, owned handles,
// and the system's message text for a code.
#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "base/UnicodeString.h"

namespace kestrine::win {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16");

// Zero-terminated.
inline const wchar_t* Wide(const UnicodeString& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline wchar_t* Wide(UnicodeString& text) {
  return reinterpret_cast<wchar_t*>(text.data());
}
// Not zero-terminated: only for calls that take a length.
inline const wchar_t* WideData(std::u16string_view text) {
  return reinterpret_cast<const wchar_t*>(text.data());
}

inline UnicodeString FromWide(std::wstring_view text) {
  return UnicodeString(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

// A name with a NUL inside would reach the system cut short, naming another file.
inline bool IsValidName(const UnicodeString& name) {
  return name.find(u'\0') == UnicodeString::npos;
}

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
// Owns a kernel handle; INVALID_HANDLE_VALUE and null both mean none.
class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) { reset(handle); }
  HANDLE get() const { return handle_.get(); }
  explicit operator bool() const { return static_cast<bool>(handle_); }
  void reset(HANDLE handle = nullptr) {
    handle_.reset(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
  }

 private:
  std::unique_ptr<void, HandleCloser> handle_;
};

// FormatMessageW's text for a Win32 code or HRESULT without the line break it ends with;
// empty when the system has none (Wine has none for most OLE codes).
inline UnicodeString FormatSystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  UnicodeString text;
  if (length > 0 && buffer) text = FromWide(std::wstring_view(buffer, length));
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' '))
    text.pop_back();
  return text;
}

// "0x800706BA": what is left when the system has no text for a code.
inline UnicodeString HexCode(DWORD code) {
  static constexpr char16_t digits[] = u"0123456789ABCDEF";
  UnicodeString text = u"0x";
  for (int shift = 28; shift >= 0; shift -= 4) text += digits[(code >> shift) & 0xF];
  return text;
}

}  // namespace kestrine::win
