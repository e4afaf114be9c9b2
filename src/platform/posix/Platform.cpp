// POSIX services: XDG folders, UTF-8 as the "ANSI" code page, glibc's Unicode case rules.
#include "platform/Platform.h"

#include <fcntl.h>
#include <locale.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wctype.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

namespace kestrine::platform {
namespace {

std::string Native(const UnicodeString& path) { return ToUtf8(path); }

locale_t CaseLocale() {
  // C.UTF-8 gives the full Unicode case tables whatever the user's locale is.
  static const locale_t loc = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (l == static_cast<locale_t>(0)) l = newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
    return l;
  }();
  return loc;
}

class Utf8Codec : public AnsiCodec {
 public:
  bool Encode(std::u16string_view text, std::string& bytes) const override {
    bytes = ToUtf8(text);
    // Only an unpaired surrogate has no UTF-8 form.
    for (size_t i = 0; i < text.size(); ++i) {
      if (IsSurrogatePairAt(text, i)) {
        ++i;
      } else if (IsSurrogate(text[i])) {
        return false;
      }
    }
    return true;
  }
  UnicodeString Decode(std::string_view bytes) const override { return FromUtf8(bytes); }
};

std::shared_ptr<const AnsiCodec>& CodecSlot() {
  static std::shared_ptr<const AnsiCodec> codec = MakeSystemAnsiCodec();
  return codec;
}

}  // namespace

UnicodeString GetSpecialFolderPath(int csidl) {
  constexpr int kAppData = 26;
  if (csidl != kAppData) return {};
  // A relative XDG_CONFIG_HOME is invalid and must be ignored.
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') return FromUtf8(xdg);
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    if (const passwd* pw = getpwuid(getuid())) home = pw->pw_dir;
  }
  if (!home || !*home) return {};
  std::string path = home;
  if (path.back() != '/') path += '/';
  return FromUtf8(path + ".config");
}

char16_t PathSeparator() { return u'/'; }

UnicodeString UpperCase(std::u16string_view text) {
  UnicodeString out;
  out.reserve(text.size());
  const locale_t loc = CaseLocale();
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c < 0x80) {
      out += (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
      continue;
    }
    char32_t cp = c;
    const bool pair = IsSurrogatePairAt(text, i);
    if (pair) cp = CombineSurrogates(c, text[++i]);
    const bool surrogate = !pair && IsSurrogate(c);
    const char32_t up =
        surrogate ? cp : static_cast<char32_t>(towupper_l(static_cast<wint_t>(cp), loc));
    AppendCodePoint(out, up);
  }
  return out;
}

bool SameText(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) {
    // Upper-casing keeps the UTF-16 length except across planes, which no case pair does.
    return false;
  }
  return a == b || UpperCase(a) == UpperCase(b);
}

UnicodeString ExecutablePath() {
  std::error_code ec;
  const auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? UnicodeString() : FromUtf8(path.string());
}

UnicodeString SystemErrorText(int code) {
  char buffer[256];
  // GNU strerror_r returns the text, which may not be in buffer.
  const char* text = strerror_r(code, buffer, sizeof buffer);
  return FromUtf8(text ? text : "");
}

std::shared_ptr<const AnsiCodec> MakeSystemAnsiCodec() { return std::make_shared<Utf8Codec>(); }

const AnsiCodec& GetAnsiCodec() {
  return *CodecSlot();
}

std::shared_ptr<const AnsiCodec> SetAnsiCodec(std::shared_ptr<const AnsiCodec> codec) {
  auto old = CodecSlot();
  CodecSlot() = codec ? std::move(codec) : MakeSystemAnsiCodec();
  return old;
}

FileState GetFileState(const UnicodeString& path) {
  struct stat st {};
  if (stat(Native(path).c_str(), &st) != 0) return FileState::Missing;
  return S_ISREG(st.st_mode) ? FileState::File : FileState::Other;
}

bool ReadWholeFile(const UnicodeString& path, std::string& bytes, int& error) {
  const int fd = open(Native(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return false;
  }
  bytes.clear();
  struct stat st {};
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    close(fd);
    error = EISDIR;
    return false;
  }
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      close(fd);
      return false;
    }
    bytes.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return true;
}

bool ReplaceFileAtomically(const UnicodeString& path, std::string_view bytes, int& error) {
  const std::string target = Native(path);
  struct stat old {};
  const bool exists = stat(target.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) {
    error = EISDIR;
    return false;
  }
  // A file the user made read-only stays as it is, as it would with an in-place write.
  if (exists && access(target.c_str(), W_OK) != 0) {
    error = errno;
    return false;
  }
  std::string temp;
  int fd = -1;
  static thread_local std::mt19937_64 rng{std::random_device{}()};
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(rng()));
    temp = target + suffix;
    fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? (old.st_mode & 07777) : 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    error = errno;
    return false;
  }
  auto fail = [&](int code) {
    close(fd);
    unlink(temp.c_str());
    error = code;
    return false;
  };
  if (exists) fchmod(fd, old.st_mode & 07777);  // the umask must not narrow the old mode
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    done += static_cast<size_t>(n);
  }
  if (fsync(fd) != 0) return fail(errno);
  if (close(fd) != 0) {
    error = errno;
    unlink(temp.c_str());
    return false;
  }
  if (rename(temp.c_str(), target.c_str()) != 0) {
    error = errno;
    unlink(temp.c_str());
    return false;
  }
  // Make the rename itself durable.
  const auto slash = target.find_last_of('/');
  const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
  if (const int dfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dfd >= 0) {
    fsync(dfd);
    close(dfd);
  }
  return true;
}

bool DirectoryExists(const UnicodeString& path) {
  struct stat st {};
  return stat(Native(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const UnicodeString& path) {
  if (path.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(Native(path)), ec);
  return DirectoryExists(path);
}

}  // namespace kestrine::platform
