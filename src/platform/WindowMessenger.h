#pragma once
// The top-level windows of the desktop as another program sees them: found
// by their window class name and sent posted messages. A second start of a
// program finds the first one this way.

#include <cstdint>
#include <string>

// The system's close request, as a window's close box sends it.
constexpr uint32_t kCloseRequestMessage = 0x0010;

class IWindowMessenger {
public:
  virtual ~IWindowMessenger() = default;
  // Whether a top-level window of the class exists.
  virtual bool WindowExists(const std::string &windowClass) = 0;
  // Posts a message to the first window of the class, without waiting.
  // False when there is none or the post failed.
  virtual bool PostToWindow(const std::string &windowClass, uint32_t message, uintptr_t wParam,
                            intptr_t lParam) = 0;
};
