#pragma once
// Small fixtures shared by the tests: temporary folders, a private config home, a recorder
// of warning boxes, and a Shift-JIS codec standing in for a Japanese Windows code page.
#include <filesystem>
#include <memory>
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
  std::string old_;
  bool hadOld_ = false;
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

}  // namespace kestrine::test
