#include "support/TestHelpers.h"

#include "settings/ShellFolder.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

namespace kestrine::test {

TempDir::TempDir() {
  std::random_device rd;
  const auto base = std::filesystem::temp_directory_path();
  for (;;) {
    path_ = base / ("kestrine-test-" + std::to_string(rd()) + std::to_string(rd()));
    if (std::filesystem::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

UnicodeString TempDir::File(const std::string& relative) const {
  return PathText(path_ / PathOf(FromUtf8(relative)));
}

UnicodeString PathText(const std::filesystem::path& path) {
  const std::u8string u8 = path.u8string();
  return FromUtf8(std::string(u8.begin(), u8.end()));
}

std::filesystem::path PathOf(const UnicodeString& text) {
  const std::string utf8 = ToUtf8(text);
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::optional<std::string> GetEnv(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

ScopedEnv::ScopedEnv(const char* name, const std::optional<std::string>& value)
    : name_(name), old_(GetEnv(name)) {
  SetEnv(name, value);
}

ScopedEnv::~ScopedEnv() {
  SetEnv(name_.c_str(), old_);
}

// Programs started by the test find the same folder through the environment.
ScopedConfigHome::ScopedConfigHome() : env_("XDG_CONFIG_HOME", dir_.Path().string()) {
  TSpecialFolder::OverrideAppDataForTesting(PathText(dir_.Path()));
}

ScopedConfigHome::~ScopedConfigHome() {
  TSpecialFolder::OverrideAppDataForTesting(std::nullopt);
}

WarningRecorder::WarningRecorder()
    : previous_(SetWarningHandler([this](const UnicodeString& t) { texts.push_back(t); })) {}

WarningRecorder::~WarningRecorder() {
  SetWarningHandler(std::move(previous_));
}

namespace {
class Utf8Codec : public platform::AnsiCodec {
 public:
  bool Encode(std::u16string_view text, std::string& bytes) const override {
    bytes = ToUtf8(text);
    return FromUtf8(bytes) == text;
  }
  UnicodeString Decode(std::string_view bytes) const override { return FromUtf8(bytes); }
};
}  // namespace

ScopedAnsiCodec::ScopedAnsiCodec(std::shared_ptr<const platform::AnsiCodec> codec)
    : previous_(platform::SetAnsiCodec(std::move(codec))) {}

ScopedAnsiCodec::~ScopedAnsiCodec() {
  platform::SetAnsiCodec(previous_);
}

std::shared_ptr<const platform::AnsiCodec> MakeUtf8Codec() {
  return std::make_shared<Utf8Codec>();
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool WaitUntil(std::chrono::milliseconds timeout, const std::function<bool()>& done,
               std::chrono::milliseconds poll) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(poll);
  }
  return true;
}

}  // namespace kestrine::test
