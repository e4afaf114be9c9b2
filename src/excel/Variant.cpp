#include "excel/Variant.h"

#include "base/Exception.h"

Variant::Variant(std::shared_ptr<AutomationObject> object) {
  if (object) value_ = std::move(object);
}

int Variant::ToInt() const {
  if (IsInt()) return std::get<int>(value_);
  if (IsEmpty()) return 0;
  if (IsString()) {
    int value = 0;
    if (kestrine::TryStrToInt(kestrine::TrimControl(std::get<UnicodeString>(value_)), value)) {
      return value;
    }
    throw Exception(u"型の変換ができません。（「" + std::get<UnicodeString>(value_) +
                    u"」は整数ではありません）");
  }
  throw Exception(u"型の変換ができません。（オブジェクトは整数ではありません）");
}

UnicodeString Variant::ToString() const {
  if (IsString()) return std::get<UnicodeString>(value_);
  if (IsInt()) return kestrine::IntToStr(std::get<int>(value_));
  if (IsEmpty()) return {};
  throw Exception(u"型の変換ができません。（オブジェクトは文字列ではありません）");
}

std::shared_ptr<AutomationObject> Variant::ToObject() const {
  if (IsObject()) return std::get<std::shared_ptr<AutomationObject>>(value_);
  throw Exception(u"型の変換ができません。（オブジェクトではありません）");
}
