// Any bytes as an INI file: load, read, write, save, and load the saved file again.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "base/Exception.h"
#include "platform/Platform.h"
#include "settings/MemIniFile.h"

namespace {

const std::string& Path() {
  static const std::string path = [] {
    char name[] = "/dev/shm/kestrine-fuzz-XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    return std::string(name) + ".ini";
  }();
  return path;
}

void Write(const uint8_t* data, size_t size) {
  FILE* f = std::fopen(Path().c_str(), "wb");
  if (!f) __builtin_trap();
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Write(data, size);
  const UnicodeString name = kestrine::FromUtf8(Path());
  std::string first;
  {
    TMemIniFile ini(name);
    (void)ini.ReadString(u"BOOKMARK", u"Count", u"");
    (void)ini.ReadInteger(u"STARTUP", u"WindowState", 0);
    (void)ini.ReadBool(u"STARTUP", u"UseHotKey", false);
    for (const UnicodeString& key : ini.ReadSectionKeys(u"BOOKMARK")) {
      (void)ini.ReadString(u"BOOKMARK", key, u"");
    }
    ini.WriteString(u"BOOKMARK", u"Count", u"1");
    ini.WriteString(u"New", u"k", u"v=w");
    ini.UpdateFile();
    first = ini.ToBytes();
  }
  // What was written reads back to the same content: a second save changes nothing.
  TMemIniFile again(name);
  if (again.ReadString(u"New", u"k", u"") != u"v=w") __builtin_trap();
  if (again.ToBytes() != first) __builtin_trap();
  return 0;
}
