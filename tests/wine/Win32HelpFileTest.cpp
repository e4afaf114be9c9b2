// The compiled help file as the Windows viewer reads it: every page of help/ inside it
// byte for byte, the topic map of the two dialogs, and the viewer opening those topics.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "WinTestSupport.h"
#include "platform/win/Win32Gui.h"
#include "platform/win/WinText.h"

// The viewer's storage reader (itss.dll), declared here as far as it is used: mingw-w64
// ships no header for it. COM interfaces have no virtual destructor. Outside the anonymous
// namespace: GCC would see no class implementing it there and drop the calls as unreachable.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
struct IITStorage : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR*, DWORD, DWORD, IStorage**) = 0;
  virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes*, DWORD, DWORD,
                                                                 IStorage**) = 0;
  virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR*) = 0;
  virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes*) = 0;
  virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR*, IStorage*, DWORD, SNB, DWORD,
                                                   IStorage**) = 0;
};
#pragma GCC diagnostic pop

namespace {

// Set by CMake: the file compiled by scripts/build-help-chm.sh and the pages' folder.
const wchar_t kHelpFile[] = KESTRINE_TEST_HELP_CHM;
const wchar_t kPagesDir[] = KESTRINE_TEST_HELP_DIR;

// The files of help/ that go into the help file, as paths inside it ("images/main.png").
std::vector<std::wstring> Pages() {
  std::vector<std::wstring> pages;
  for (const auto& [folder, pattern] : {std::pair<std::wstring, std::wstring>{L"", L"*.html"},
                                        {L"", L"*.css"},
                                        {L"images/", L"*.png"}}) {
    std::wstring native = folder;
    for (wchar_t& c : native) c = c == L'/' ? L'\\' : c;
    WIN32_FIND_DATAW found;
    HANDLE search =
        FindFirstFileW((std::wstring(kPagesDir) + L"\\" + native + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      pages.push_back(folder + found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  return pages;
}

std::string ReadFile(const std::wstring& path) {
  std::ifstream in(std::string(path.begin(), path.end()), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const CLSID kClsidITStorage = {
    0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
const IID kIidITStorage = {
    0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};

// The help file opened as the viewer opens it.
class HelpFileStorage {
 public:
  HelpFileStorage() {
    IITStorage* reader = nullptr;
    if (SUCCEEDED(CoCreateInstance(kClsidITStorage, nullptr, CLSCTX_INPROC_SERVER, kIidITStorage,
                                   reinterpret_cast<void**>(&reader)))) {
      reader->StgOpenStorage(kHelpFile, nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                             &storage_);
      reader->Release();
    }
  }
  ~HelpFileStorage() {
    if (storage_) storage_->Release();
  }
  HelpFileStorage(const HelpFileStorage&) = delete;
  HelpFileStorage& operator=(const HelpFileStorage&) = delete;
  bool IsOpen() const { return storage_ != nullptr; }

  // One stored file, or nothing when the help file lacks it.
  bool Read(const std::wstring& name, std::string& content) const {
    IStream* stream = nullptr;
    if (!storage_ || FAILED(storage_->OpenStream(name.c_str(), nullptr, STGM_READ, 0, &stream)))
      return false;
    char buffer[4096];
    ULONG read = 0;
    while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &read)) && read > 0)
      content.append(buffer, read);
    stream->Release();
    return true;
  }

 private:
  IStorage* storage_ = nullptr;
};

void CloseViewers() {
  while (HWND viewer = FindWindowW(L"HH Parent", nullptr)) DestroyWindow(viewer);
  kestrine::test::TestWindow::Pump();
}

DWORD Dword(const std::string& data, size_t at) {
  DWORD value = 0;
  if (at + sizeof value <= data.size()) std::memcpy(&value, data.data() + at, sizeof value);
  return value;
}

TEST(Win32HelpFile, HoldsEveryPageUnchanged) {
  kestrine::test::ComApartment com;
  HelpFileStorage file;
  ASSERT_TRUE(file.IsOpen());
  const std::vector<std::wstring> pages = Pages();
  ASSERT_GE(pages.size(), 13u) << "help/ was not found";
  for (const std::wstring& page : pages) {
    SCOPED_TRACE(std::string(page.begin(), page.end()));
    std::string inside;
    ASSERT_TRUE(file.Read(page, inside));
    std::wstring native = page;
    for (wchar_t& c : native) c = c == L'/' ? L'\\' : c;
    EXPECT_EQ(inside, ReadFile(std::wstring(kPagesDir) + L"\\" + native));
  }
  std::string none;
  EXPECT_FALSE(file.Read(L"no-such-page.html", none));
}

// The context map as stored: #IVB holds its size, then pairs of topic number and offset of
// the page's name in #STRINGS.
TEST(Win32HelpFile, MapsTopics6And12ToTheirPages) {
  kestrine::test::ComApartment com;
  HelpFileStorage file;
  ASSERT_TRUE(file.IsOpen());
  std::string map, strings;
  ASSERT_TRUE(file.Read(L"#IVB", map));
  ASSERT_TRUE(file.Read(L"#STRINGS", strings));
  std::map<DWORD, std::string> topics;
  for (size_t at = 4; at + 8 <= map.size() && at < 4 + Dword(map, 0); at += 8) {
    const DWORD offset = Dword(map, at + 4);
    ASSERT_LT(offset, strings.size());
    topics[Dword(map, at)] = strings.c_str() + offset;
  }
  EXPECT_EQ(topics,
            (std::map<DWORD, std::string>{{6, "/settings.html"}, {12, "/bookmark-edit.html"}}));
}

TEST(Win32HelpFile, TheViewerOpensTheMappedTopicsOnly) {
  kestrine::test::ComApartment com;
  const UnicodeString file = kestrine::win::FromWide(kHelpFile);
  // Unmapped topics first, while no viewer is open: they must open none.
  for (const int topic : {7, 1}) {
    SCOPED_TRACE(topic);
    EXPECT_FALSE(kestrine::win::ShowHelpTopic(nullptr, file, topic));
    EXPECT_EQ(FindWindowW(L"HH Parent", nullptr), nullptr);
  }
  EXPECT_TRUE(kestrine::win::ShowHelpContents(nullptr, file));
  EXPECT_NE(FindWindowW(L"HH Parent", nullptr), nullptr);
  for (const int topic : {6, 12}) {
    SCOPED_TRACE(topic);
    EXPECT_TRUE(kestrine::win::ShowHelpTopic(nullptr, file, topic));
  }
  CloseViewers();
}

}  // namespace
