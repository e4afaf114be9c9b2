#pragma once
#include <exception>
#include <string>

#include "base/UnicodeString.h"

// The base of every failure the system reports to the user.
class Exception : public std::exception {
 public:
  explicit Exception(UnicodeString message);
  const UnicodeString& Message() const { return message_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  UnicodeString message_;
  std::string utf8_;
};
