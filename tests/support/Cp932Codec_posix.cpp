// Code page 932 through iconv, to exercise the ANSI rules on Linux.
#include <iconv.h>

#include "support/TestHelpers.h"

namespace kestrine::test {
namespace {

class IconvCp932 : public platform::AnsiCodec {
 public:
  bool Encode(std::u16string_view text, std::string& bytes) const override {
    bytes.clear();
    iconv_t cd = iconv_open("CP932", "UTF-16LE");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    bool lossless = true;
    // One character at a time, so an unrepresentable one becomes '?' like the default char.
    for (size_t i = 0; i < text.size(); ++i) {
      size_t units = (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size()) ? 2 : 1;
      std::string in;
      for (size_t k = 0; k < units; ++k) {
        in += static_cast<char>(text[i + k] & 0xFF);
        in += static_cast<char>(text[i + k] >> 8);
      }
      char out[8];
      char* inp = in.data();
      size_t inLeft = in.size();
      char* outp = out;
      size_t outLeft = sizeof out;
      if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1)) {
        bytes += '?';
        lossless = false;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
      } else {
        bytes.append(out, static_cast<size_t>(outp - out));
      }
      i += units - 1;
    }
    iconv_close(cd);
    return lossless;
  }

  UnicodeString Decode(std::string_view bytes) const override {
    iconv_t cd = iconv_open("UTF-16LE", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    std::string in(bytes);
    std::string out(in.size() * 4 + 4, '\0');
    char* inp = in.data();
    size_t inLeft = in.size();
    char* outp = out.data();
    size_t outLeft = out.size();
    UnicodeString text;
    while (inLeft > 0) {
      if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1)) {
        // Skip a byte that is no character, as the system converter drops it to U+30FB/'?'.
        ++inp;
        --inLeft;
        *outp++ = '?';
        *outp++ = '\0';
        outLeft -= 2;
      }
    }
    iconv_close(cd);
    const size_t produced = out.size() - outLeft;
    for (size_t i = 0; i + 1 < produced; i += 2) {
      text += static_cast<char16_t>(static_cast<unsigned char>(out[i]) |
                                    static_cast<unsigned char>(out[i + 1]) << 8);
    }
    return text;
  }
};

}  // namespace

std::shared_ptr<const platform::AnsiCodec> MakeCp932Codec() {
  iconv_t cd = iconv_open("CP932", "UTF-16LE");
  if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
  iconv_close(cd);
  return std::make_shared<IconvCp932>();
}

}  // namespace kestrine::test
