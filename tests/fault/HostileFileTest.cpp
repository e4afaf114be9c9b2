#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>

#include "settings/Config.h"
#include "settings/MemIniFile.h"
#include "support/TestHelpers.h"

using namespace kestrine::test;

namespace {

long MaxRssKb() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

struct Hostile : ::testing::Test {
  ScopedConfigHome home;
  UnicodeString name = TConfig::GetFileName();
  void Write(const std::string& bytes) {
    std::filesystem::create_directories(PathOf(name).parent_path());
    WriteBytes(PathOf(name), bytes);
  }
  // Loads within the bounds and returns the names of the bookmarks read.
  std::vector<UnicodeString> Load(std::chrono::seconds limit = std::chrono::seconds(30)) {
    const auto start = std::chrono::steady_clock::now();
    TConfig config;
    config.Load(name);
    EXPECT_LT(std::chrono::steady_clock::now() - start, limit);
    std::vector<UnicodeString> names;
    for (const auto& b : config.Bookmarks) names.push_back(b->Name);
    return names;
  }
};

const std::string kGood = "Item0=good,B,S,1,2\r\n";

}  // namespace

TEST_F(Hostile, JunkAroundGoodEntriesKeepsTheGoodOnes) {
  using V = std::vector<UnicodeString>;
  const std::string junk[] = {
      std::string("\0\0\0\r\nItem1=\0x,B,S,1,2\r\n", 24),  // NUL bytes
      "\xff\xfe\xfd\x80\r\nItem1=\xc3(,\xed\xa0\x80,S,1,2\r\n",  // invalid UTF-8
      "Item1=" + std::string(1000, '"') + "\r\n",
      "Item1=,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,\r\n",
  };
  for (const auto& j : junk) {
    Write("[BOOKMARK]\r\nCount=2\r\n" + j + kGood);
    const V names = Load();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names[0], u"good");
  }
}

TEST_F(Hostile, Utf16HalvesAndOddLengths) {
  // UTF-16 LE with a lone high surrogate, a lone low one and a dangling last byte.
  std::string bytes = "\xff\xfe";
  for (const char16_t c : UnicodeString(u"[BOOKMARK]\r\nCount=1\r\nItem0=\xd800x\xdc00,B,S,1,2\r\n")) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  Write(bytes + "\x41");
  const auto names = Load();
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], (UnicodeString{0xD800, u'x', 0xDC00}));
  // Saving keeps the odd text as it was read.
  TConfig config;
  config.Load(name);
  config.Save(name);
  EXPECT_EQ(Load(), names);
}

TEST_F(Hostile, HugeLineStaysBounded) {
  const long before = MaxRssKb();
  std::string huge = "[BOOKMARK]\r\nCount=1\r\n" + kGood + "Item5=" + std::string(16 << 20, 'x') + "\r\n";
  Write(huge);
  huge.clear();
  huge.shrink_to_fit();
  EXPECT_EQ(Load().size(), 1u);
  // The text in UTF-16 and a few copies of the longest line: a small multiple of 16 MiB.
  EXPECT_LT(MaxRssKb() - before, 512L * 1024);
}

TEST_F(Hostile, ManySectionsAndAHugeCount) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "[S" + std::to_string(i % 5000) + "]\r\nk=v\r\n";
  text += "[BOOKMARK]\r\nCount=2147483647\r\n" + kGood;
  for (int i = 7; i < 20000; i += 7) text += "Item" + std::to_string(i * 1000) + "=n,B,S,1,2\r\n";
  Write(text);
  EXPECT_EQ(Load().size(), 1u + 19999 / 7);
}
