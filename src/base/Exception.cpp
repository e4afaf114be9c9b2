#include "base/Exception.h"

Exception::Exception(UnicodeString message)
    : message_(std::move(message)), utf8_(kestrine::ToUtf8(message_)) {}
