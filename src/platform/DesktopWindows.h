#pragma once
// The other programs' top-level windows, as a program sees them to keep one
// copy of itself running and to ask another program to close: found by
// window class or title, sent posted messages.

#include <cstdint>
#include <string>

class IDesktopWindows {
public:
  virtual ~IDesktopWindows() = default;
  // Whether a top-level window of the class exists.
  virtual bool ClassExists(const std::string &className) = 0;
  // Posts the message to the first top-level window of the class; false
  // when there is none.
  virtual bool PostToClass(const std::string &className, uint32_t message) = 0;
  // Posts a close request to the first top-level window of the class; false
  // when there is none.
  virtual bool CloseClass(const std::string &className) = 0;
  // Whether a top-level window has exactly this title.
  virtual bool TitleExists(const std::string &title) = 0;
};
