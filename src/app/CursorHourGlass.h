#pragma once

// Shows the hourglass for the life of the object, on every way out of the scope.
class TCursorHourGlass {
 public:
  TCursorHourGlass();
  ~TCursorHourGlass();
  TCursorHourGlass(const TCursorHourGlass&) = delete;
  TCursorHourGlass& operator=(const TCursorHourGlass&) = delete;
};
