#include "settings/MemIniFile.h"

#include <utility>

#include "base/Exception.h"
#include "platform/Platform.h"

namespace platform = kestrine::platform;

TCustomIniFile::TCustomIniFile(UnicodeString fileName) : fileName_(std::move(fileName)) {}
TCustomIniFile::~TCustomIniFile() = default;

int TCustomIniFile::ReadInteger(const UnicodeString& section, const UnicodeString& ident,
                                int def) {
  int value = 0;
  return kestrine::TryStrToInt(ReadString(section, ident, u""), value) ? value : def;
}

void TCustomIniFile::WriteInteger(const UnicodeString& section, const UnicodeString& ident,
                                  int value) {
  WriteString(section, ident, kestrine::IntToStr(value));
}

bool TCustomIniFile::ReadBool(const UnicodeString& section, const UnicodeString& ident,
                              bool def) {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const UnicodeString& section, const UnicodeString& ident,
                               bool value) {
  WriteString(section, ident, value ? u"1" : u"0");
}

namespace {

UnicodeString DecodeUtf16(std::string_view bytes, bool bigEndian) {
  UnicodeString text;
  text.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    text += static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
  }
  return text;
}

std::string EncodeUtf16(std::u16string_view text, bool bigEndian) {
  std::string bytes;
  bytes.reserve(text.size() * 2 + 2);
  auto put = [&](char16_t c) {
    const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
    bytes += bigEndian ? hi : lo;
    bytes += bigEndian ? lo : hi;
  };
  put(0xFEFF);
  for (const char16_t c : text) put(c);
  return bytes;
}

}  // namespace

TMemIniFile::TMemIniFile(const UnicodeString& fileName) : TCustomIniFile(fileName) { Load(); }

TMemIniFile::~TMemIniFile() = default;

void TMemIniFile::Load() {
  const UnicodeString& name = FileName();
  if (name.empty() || platform::GetFileState(name) == platform::FileState::Missing) return;
  std::string bytes;
  int error = 0;
  if (!platform::ReadWholeFile(name, bytes, error)) {
    throw Exception(kestrine::FormatS(u"ファイル %s は開けません。 %s ",
                                      {name, platform::SystemErrorText(error)}));
  }
  const std::string_view view(bytes);
  UnicodeString text;
  if (view.starts_with("\xFF\xFE")) {
    encoding_ = Encoding::Utf16LE;
    text = DecodeUtf16(view.substr(2), false);
  } else if (view.starts_with("\xFE\xFF")) {
    encoding_ = Encoding::Utf16BE;
    text = DecodeUtf16(view.substr(2), true);
  } else if (view.starts_with("\xEF\xBB\xBF")) {
    encoding_ = Encoding::Utf8;
    text = kestrine::FromUtf8(view.substr(3));
  } else {
    encoding_ = Encoding::Ansi;
    text = platform::GetAnsiCodec().Decode(view);
  }
  Parse(text);
}

void TMemIniFile::Parse(const UnicodeString& text) {
  Section* current = nullptr;
  size_t pos = 0;
  const size_t n = text.size();
  while (pos < n) {
    size_t end = pos;
    while (end < n && text[end] != u'\r' && text[end] != u'\n') ++end;
    const UnicodeString line = kestrine::TrimControl(std::u16string_view(text).substr(pos, end - pos));
    if (end == n) {
      pos = n;
    } else {
      pos = (text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n') ? end + 2 : end + 1;
    }
    if (line.empty() || line[0] == u';') continue;
    if (line.front() == u'[' && line.back() == u']' && line.size() >= 2) {
      current = &AddSection(kestrine::TrimControl(std::u16string_view(line).substr(1, line.size() - 2)));
      continue;
    }
    if (!current) continue;
    const size_t eq = line.find(u'=');
    if (eq == UnicodeString::npos) {
      current->lines.push_back({line, {}, false});
      continue;
    }
    UnicodeString key = kestrine::TrimControl(std::u16string_view(line).substr(0, eq));
    current->index.try_emplace(platform::UpperCase(key), current->lines.size());
    current->lines.push_back(
        {std::move(key), kestrine::TrimControl(std::u16string_view(line).substr(eq + 1)), true});
  }
}

TMemIniFile::Section& TMemIniFile::AddSection(UnicodeString name) {
  sectionIndex_.try_emplace(platform::UpperCase(name), sections_.size());
  sections_.push_back(std::make_unique<Section>());
  sections_.back()->name = std::move(name);
  return *sections_.back();
}

const TMemIniFile::Section* TMemIniFile::FindSection(const UnicodeString& name) const {
  const auto it = sectionIndex_.find(platform::UpperCase(name));
  return it == sectionIndex_.end() ? nullptr : sections_[it->second].get();
}

TMemIniFile::Section* TMemIniFile::FindSection(const UnicodeString& name) {
  return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

UnicodeString TMemIniFile::ReadString(const UnicodeString& section, const UnicodeString& ident,
                                      const UnicodeString& def) {
  const Section* s = FindSection(section);
  if (!s) return def;
  const auto it = s->index.find(platform::UpperCase(ident));
  return it == s->index.end() ? def : s->lines[it->second].value;
}

void TMemIniFile::WriteString(const UnicodeString& section, const UnicodeString& ident,
                              const UnicodeString& value) {
  Section* s = FindSection(section);
  if (!s) s = &AddSection(section);
  const auto [it, inserted] = s->index.try_emplace(platform::UpperCase(ident), s->lines.size());
  if (inserted) {
    s->lines.push_back({ident, value, true});
  } else {
    s->lines[it->second] = {ident, value, true};
  }
}

std::vector<UnicodeString> TMemIniFile::ReadSectionKeys(const UnicodeString& section) const {
  std::vector<UnicodeString> keys;
  if (const Section* s = FindSection(section)) {
    for (const Line& line : s->lines) {
      if (line.hasEquals) keys.push_back(line.name);
    }
  }
  return keys;
}

std::string TMemIniFile::ToBytes() {
  UnicodeString text;
  for (const auto& s : sections_) {
    text += u"[" + s->name + u"]\r\n";
    for (const Line& line : s->lines) {
      text += line.name;
      if (line.hasEquals) text += u"=" + line.value;
      text += u"\r\n";
    }
    text += u"\r\n";
  }
  switch (encoding_) {
    case Encoding::Utf16LE:
      return EncodeUtf16(text, false);
    case Encoding::Utf16BE:
      return EncodeUtf16(text, true);
    case Encoding::Utf8:
      return "\xEF\xBB\xBF" + kestrine::ToUtf8(text);
    case Encoding::None:
    case Encoding::Ansi:
      break;
  }
  std::string bytes;
  if (platform::GetAnsiCodec().Encode(text, bytes)) return bytes;
  // The code page would corrupt a name for good: keep every character as UTF-8 instead.
  encoding_ = Encoding::Utf8;
  return "\xEF\xBB\xBF" + kestrine::ToUtf8(text);
}

void TMemIniFile::UpdateFile() {
  const std::string bytes = ToBytes();
  int error = 0;
  if (!platform::ReplaceFileAtomically(FileName(), bytes, error)) {
    throw Exception(kestrine::FormatS(u"ファイル \"%s\" を作成できません。%s",
                                      {FileName(), platform::SystemErrorText(error)}));
  }
}
