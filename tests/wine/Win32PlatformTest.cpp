// The Windows platform layer: shell folders, case rules, code page, files.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "base/Exception.h"
#include "platform/Platform.h"
#include "settings/ShellFolder.h"
#include "support/TestHelpers.h"

using namespace kestrine;
using kestrine::test::TempDir;

namespace {

std::wstring W(const UnicodeString& text) {
  return std::wstring(text.begin(), text.end());
}

bool EndsWith(const UnicodeString& text, std::u16string_view tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Names of the files in a folder.
std::vector<std::filesystem::path> Listing(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename());
  }
  return names;
}

}  // namespace

TEST(Win32SpecialFolder, KindOneIsTheRoamingFolderOfTheShell) {
  wchar_t expected[MAX_PATH] = {};
  ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, expected), S_OK);
  const UnicodeString path = TSpecialFolder::GetPath(TSpecialFolder::kAppData);
  EXPECT_EQ(W(path), expected);
  EXPECT_TRUE(EndsWith(path, u"\\AppData\\Roaming")) << ToUtf8(path);
  EXPECT_TRUE(platform::DirectoryExists(path));
  // Folders that are no file-system folder have no path.
  EXPECT_EQ(platform::GetSpecialFolderPath(CSIDL_DRIVES), u"");
  EXPECT_EQ(platform::GetSpecialFolderPath(0x7777), u"");
  for (const int kind : {-1, 30}) {
    try {
      TSpecialFolder::GetPath(kind);
      ADD_FAILURE() << kind;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"指定されたコードが見つかりません。");
    }
  }
}

TEST(Win32Text, CaseRulesOfTheSystem) {
  const std::pair<std::u16string_view, std::u16string_view> upper[] = {
      {u"bookmark", u"BOOKMARK"},
      {u"\u00e4\u00f6\u00fc\u00e9", u"\u00c4\u00d6\u00dc\u00c9"},
      {u"\u03c3\u03bf\u03c6\u03af\u03b1", u"\u03a3\u039f\u03a6\u038a\u0391"},
      {u"\u0436\u0443\u0440\u043d\u0430\u043b", u"\u0416\u0423\u0420\u041d\u0410\u041b"},
      {u"\uff41\uff5a", u"\uff21\uff3a"},
      {u"\u00df", u"\u00df"},  // one character stays one character
      {u"i", u"I"},            // whatever the user's locale, no Turkish dotted I
      {u"\u65e5\u672c\u8a9e\u8868", u"\u65e5\u672c\u8a9e\u8868"},
      {u"", u""},
  };
  for (const auto& [text, expected] : upper) {
    EXPECT_EQ(platform::UpperCase(text), expected) << ToUtf8(text);
    EXPECT_TRUE(platform::SameText(text, expected)) << ToUtf8(text);
  }
  EXPECT_FALSE(platform::SameText(u"Sheet1", u"Sheet2"));
  EXPECT_FALSE(platform::SameText(u"a", u"a "));
  EXPECT_EQ(platform::PathSeparator(), u'\\');
}

TEST(Win32Text, ExecutableAndErrorTexts) {
  const UnicodeString exe = platform::ExecutablePath();
  EXPECT_TRUE(EndsWith(exe, u"\\kestrine_wine_tests.exe")) << ToUtf8(exe);
  EXPECT_EQ(platform::GetFileState(exe), platform::FileState::File);

  const UnicodeString notFound = platform::SystemErrorText(ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(notFound.empty());
  EXPECT_NE(notFound.back(), u'\n');
  // A code the system has no text for still gives something to show.
  EXPECT_EQ(platform::SystemErrorText(0x2A2A2A2A), u"0x2A2A2A2A");
}

TEST(Win32Text, WesternCodePageAndWhatItCannotHold) {
  if (GetACP() != 1252) GTEST_SKIP() << "code page " << GetACP();
  const auto codec = platform::MakeSystemAnsiCodec();
  std::string bytes;
  ASSERT_TRUE(codec->Encode(u"Caf\u00e9 \u20ac", bytes));
  EXPECT_EQ(bytes, "Caf\xe9 \x80");
  EXPECT_EQ(codec->Decode(bytes), u"Caf\u00e9 \u20ac");
  // "A" would be the system's best fit for A with macron: that is loss, not a match.
  for (const std::u16string_view lossy : {u"\u0100", u"\u65e5\u672c", u"\U0001F600", u"\xD800"}) {
    EXPECT_FALSE(codec->Encode(lossy, bytes)) << ToUtf8(UnicodeString(lossy));
  }
  EXPECT_TRUE(codec->Encode(u"", bytes));
  EXPECT_EQ(bytes, "");
}

TEST(Win32Files, ReadWholeFileSharesOnlyReading) {
  TempDir dir;
  const UnicodeString file = dir.File("a.ini");
  test::WriteBytes(dir.Path() / "a.ini", std::string("[A]\r\nk=\x00v\r\n", 11));
  std::string bytes;
  int error = 0;
  ASSERT_TRUE(platform::ReadWholeFile(file, bytes, error));
  EXPECT_EQ(bytes, std::string("[A]\r\nk=\x00v\r\n", 11));

  {  // another reader does not stand in the way
    HANDLE reader = CreateFileW(W(file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(platform::ReadWholeFile(file, bytes, error));
    CloseHandle(reader);
  }
  {  // a writer does: the file must not change while it is read
    HANDLE writer = CreateFileW(W(file).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(platform::ReadWholeFile(file, bytes, error));
    EXPECT_EQ(error, ERROR_SHARING_VIOLATION);
    CloseHandle(writer);
  }
  EXPECT_FALSE(platform::ReadWholeFile(dir.File("missing.ini"), bytes, error));
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(platform::ReadWholeFile(file + u'\0' + u"x", bytes, error));
  EXPECT_EQ(error, ERROR_INVALID_NAME);
}

TEST(Win32Files, ReplaceFileAtomicallyWritesAllOrNothing) {
  TempDir dir;
  const UnicodeString file = dir.File("Kestrine.ini");
  int error = 0;
  ASSERT_TRUE(platform::ReplaceFileAtomically(file, "first", error));
  ASSERT_TRUE(platform::ReplaceFileAtomically(file, std::string("sec\0nd", 6), error));
  EXPECT_EQ(test::ReadBytes(dir.Path() / "Kestrine.ini"), std::string("sec\0nd", 6));
  EXPECT_EQ(Listing(dir.Path()), std::vector<std::filesystem::path>{"Kestrine.ini"});

  // Held open by another program without delete sharing: refused, old content kept.
  HANDLE holder = CreateFileW(W(file).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(platform::ReplaceFileAtomically(file, "third", error));
  EXPECT_NE(error, 0);
  CloseHandle(holder);
  EXPECT_EQ(test::ReadBytes(dir.Path() / "Kestrine.ini"), std::string("sec\0nd", 6));
  EXPECT_EQ(Listing(dir.Path()), std::vector<std::filesystem::path>{"Kestrine.ini"});

  // Marked read-only by the user: refused, old content kept.
  ASSERT_TRUE(SetFileAttributesW(W(file).c_str(), FILE_ATTRIBUTE_READONLY));
  error = 0;
  EXPECT_FALSE(platform::ReplaceFileAtomically(file, "fourth", error));
  EXPECT_EQ(error, ERROR_ACCESS_DENIED);
  EXPECT_EQ(test::ReadBytes(dir.Path() / "Kestrine.ini"), std::string("sec\0nd", 6));
  SetFileAttributesW(W(file).c_str(), FILE_ATTRIBUTE_NORMAL);

  EXPECT_FALSE(platform::ReplaceFileAtomically(dir.File("no\\such\\folder.ini"), "x", error));
  EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(platform::ReplaceFileAtomically(dir.File("a") + u'\0' + u"b", "x", error));
  EXPECT_EQ(error, ERROR_INVALID_NAME);
  EXPECT_EQ(Listing(dir.Path()), std::vector<std::filesystem::path>{"Kestrine.ini"});

  // Temporary files a crashed run of a process with the same id left behind.
  const std::string stale = "Kestrine.ini." + std::to_string(GetCurrentProcessId()) + "-";
  for (int i = 0; i < 64; ++i)
    test::WriteBytes(dir.Path() / (stale + std::to_string(i) + ".tmp"), "");
  EXPECT_TRUE(platform::ReplaceFileAtomically(file, "fifth", error));
  EXPECT_EQ(test::ReadBytes(dir.Path() / "Kestrine.ini"), "fifth");
  EXPECT_EQ(Listing(dir.Path()).size(), 65u);
}

TEST(Win32Files, FoldersAndFileStates) {
  TempDir dir;
  const UnicodeString deep = dir.File("Quorvane\\Kestrine\\deeper");
  EXPECT_FALSE(platform::DirectoryExists(deep));
  ASSERT_TRUE(platform::ForceDirectories(deep + u"\\"));
  EXPECT_TRUE(platform::DirectoryExists(deep));
  EXPECT_TRUE(platform::ForceDirectories(deep));  // already there
  EXPECT_EQ(platform::GetFileState(deep), platform::FileState::Other);

  test::WriteBytes(dir.Path() / "file", "x");
  EXPECT_EQ(platform::GetFileState(dir.File("file")), platform::FileState::File);
  EXPECT_EQ(platform::GetFileState(dir.File("none")), platform::FileState::Missing);
  EXPECT_FALSE(platform::DirectoryExists(dir.File("file")));
  // A file where a folder should be cannot be made a folder.
  EXPECT_FALSE(platform::ForceDirectories(dir.File("file\\sub")));
  EXPECT_FALSE(platform::ForceDirectories(u""));
}
