#pragma once
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/UnicodeString.h"

class TCustomIniFile {
 public:
  explicit TCustomIniFile(UnicodeString fileName);
  virtual ~TCustomIniFile();

  const UnicodeString& FileName() const { return fileName_; }

  virtual UnicodeString ReadString(const UnicodeString& section, const UnicodeString& ident,
                                   const UnicodeString& def) = 0;
  virtual void WriteString(const UnicodeString& section, const UnicodeString& ident,
                           const UnicodeString& value) = 0;
  virtual int ReadInteger(const UnicodeString& section, const UnicodeString& ident, int def);
  virtual void WriteInteger(const UnicodeString& section, const UnicodeString& ident, int value);
  virtual bool ReadBool(const UnicodeString& section, const UnicodeString& ident, bool def);
  virtual void WriteBool(const UnicodeString& section, const UnicodeString& ident, bool value);
  virtual void UpdateFile() = 0;

 private:
  UnicodeString fileName_;
};

// The whole file in memory: read at creation, written back whole by UpdateFile.
class TMemIniFile : public TCustomIniFile {
 public:
  enum class Encoding { None, Ansi, Utf8, Utf16LE, Utf16BE };

  explicit TMemIniFile(const UnicodeString& fileName);
  ~TMemIniFile() override;

  UnicodeString ReadString(const UnicodeString& section, const UnicodeString& ident,
                           const UnicodeString& def) override;
  void WriteString(const UnicodeString& section, const UnicodeString& ident,
                   const UnicodeString& value) override;
  void UpdateFile() override;

  // Names of the keys of the first section of that name, in file order.
  std::vector<UnicodeString> ReadSectionKeys(const UnicodeString& section) const;
  Encoding GetEncoding() const { return encoding_; }
  // The file's bytes as UpdateFile writes them.
  std::string ToBytes();

 private:
  struct Line {
    UnicodeString name;  // the whole text when the line has no "="
    UnicodeString value;
    bool hasEquals;
  };
  struct Section {
    UnicodeString name;
    std::vector<Line> lines;
    std::unordered_map<UnicodeString, size_t> index;  // upper-cased key -> first line
  };

  void Load();
  void Parse(const UnicodeString& text);
  Section* FindSection(const UnicodeString& name);
  const Section* FindSection(const UnicodeString& name) const;
  Section& AddSection(UnicodeString name);

  Encoding encoding_ = Encoding::None;
  std::vector<std::unique_ptr<Section>> sections_;
  std::unordered_map<UnicodeString, size_t> sectionIndex_;  // upper-cased name -> first
};
