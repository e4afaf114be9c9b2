#pragma once
#include <memory>
#include <variant>

#include "base/UnicodeString.h"

class AutomationObject;

// The automation value holder: empty, a 32-bit integer, a text, or a shared object reference.
// Copying shares the object; the last copy releases it.
class Variant {
 public:
  Variant() = default;
  Variant(int value) : value_(value) {}  // NOLINT: implicit like the automation type
  Variant(UnicodeString text) : value_(std::move(text)) {}  // NOLINT
  Variant(std::shared_ptr<AutomationObject> object);  // NOLINT

  bool IsEmpty() const { return std::holds_alternative<std::monostate>(value_); }
  bool IsInt() const { return std::holds_alternative<int>(value_); }
  bool IsString() const { return std::holds_alternative<UnicodeString>(value_); }
  bool IsObject() const { return std::holds_alternative<std::shared_ptr<AutomationObject>>(value_); }

  // Impossible conversions throw Exception.
  int ToInt() const;
  UnicodeString ToString() const;
  std::shared_ptr<AutomationObject> ToObject() const;

  bool operator==(const Variant& other) const = default;

 private:
  std::variant<std::monostate, int, UnicodeString, std::shared_ptr<AutomationObject>> value_;
};
