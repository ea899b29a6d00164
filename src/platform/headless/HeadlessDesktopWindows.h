#pragma once
// Top-level windows for tests: a list of class and title pairs. A close
// request takes a window away unless it is one that refuses; posted messages
// are recorded.

#include "platform/DesktopWindows.h"

#include <algorithm>
#include <vector>

class THeadlessDesktopWindows final : public IDesktopWindows {
public:
  struct TWindow {
    std::string Class, Title;
    bool RefusesClose = false;
  };
  struct TPosted {
    std::string Class;
    uint32_t Message;
  };

  bool ClassExists(const std::string &className) override { return Find(className) != Windows.end(); }
  bool PostToClass(const std::string &className, uint32_t message) override {
    if (!ClassExists(className))
      return false;
    Posted.push_back({className, message});
    return true;
  }
  bool CloseClass(const std::string &className) override {
    auto it = Find(className);
    if (it == Windows.end())
      return false;
    ++CloseRequests;
    if (!it->RefusesClose)
      Windows.erase(it);
    return true;
  }
  bool TitleExists(const std::string &title) override {
    return std::any_of(Windows.begin(), Windows.end(), [&](const TWindow &w) { return w.Title == title; });
  }

  std::vector<TWindow> Windows;
  std::vector<TPosted> Posted;
  int CloseRequests = 0;

private:
  std::vector<TWindow>::iterator Find(const std::string &className) {
    return std::find_if(Windows.begin(), Windows.end(),
                        [&](const TWindow &w) { return w.Class == className; });
  }
};
