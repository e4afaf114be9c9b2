#pragma once
// Small fixtures shared by the tests: temporary folders, environment variables for a scope,
// a private config home, a recorder of the core's warnings, a Shift-JIS codec standing in for
// a Japanese Windows code page, and waiting for a condition.
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Notice.h"
#include "platform/Platform.h"

namespace kestrine::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  UnicodeString File(const std::string& relative) const;  // UTF-16 path of a file inside

 private:
  std::filesystem::path path_;
};

// An environment variable of this process and the programs it starts, set or (nullopt)
// removed.
std::optional<std::string> GetEnv(const char* name);
void SetEnv(const char* name, const std::optional<std::string>& value);

// Sets or removes an environment variable for the scope and then puts back what was there.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// Points the roaming app-data folder at a temporary directory for the scope.
class ScopedConfigHome {
 public:
  ScopedConfigHome();
  ~ScopedConfigHome();
  ScopedConfigHome(const ScopedConfigHome&) = delete;
  ScopedConfigHome& operator=(const ScopedConfigHome&) = delete;
  const std::filesystem::path& Path() const { return dir_.Path(); }

 private:
  TempDir dir_;
  ScopedEnv env_;
};

// Collects the texts of warning boxes shown by the core during its lifetime.
class WarningRecorder {
 public:
  WarningRecorder();
  ~WarningRecorder();
  WarningRecorder(const WarningRecorder&) = delete;
  WarningRecorder& operator=(const WarningRecorder&) = delete;
  std::vector<UnicodeString> texts;

 private:
  WarningHandler previous_;
};

// Paths and the system's text type, both ways, without loss.
UnicodeString PathText(const std::filesystem::path& path);
std::filesystem::path PathOf(const UnicodeString& text);

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

// Replaces the ANSI codec for the scope.
class ScopedAnsiCodec {
 public:
  explicit ScopedAnsiCodec(std::shared_ptr<const platform::AnsiCodec> codec);
  ~ScopedAnsiCodec();
  ScopedAnsiCodec(const ScopedAnsiCodec&) = delete;
  ScopedAnsiCodec& operator=(const ScopedAnsiCodec&) = delete;

 private:
  std::shared_ptr<const platform::AnsiCodec> previous_;
};

// UTF-8 as the "ANSI" code page, as on Linux, for tests that write files without a mark.
std::shared_ptr<const platform::AnsiCodec> MakeUtf8Codec();

// Code page 932; null when the platform offers no such converter.
std::shared_ptr<const platform::AnsiCodec> MakeCp932Codec();

// Checks `done` every `poll` until it holds or `timeout` has passed; returns whether it held.
// For conditions outside any event loop (other programs, files); widget tests wait with
// WaitFor, which keeps Qt's events flowing.
bool WaitUntil(std::chrono::milliseconds timeout, const std::function<bool()>& done,
               std::chrono::milliseconds poll = std::chrono::milliseconds(20));

}  // namespace kestrine::test
