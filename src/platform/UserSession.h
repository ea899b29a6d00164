#pragma once
// The desktop session the program runs in: who is logged on, and whether the
// user is at it.

#include <string>

// What Windows knows of the user's presence, as the session is now.
struct TSessionPresence {
  bool Locked = false;       // the workstation is locked
  bool SwitchedAway = false; // the session lost its screen (another user, a remote link dropped)
  bool ScreenSaver = false;  // the screen saver runs
  bool FullScreen = false;   // another program fills the screen (presentation, video call, game)

  // The user cannot be at the session: the time counts as rest.
  bool Away() const { return Locked || SwitchedAway || ScreenSaver; }
  friend bool operator==(const TSessionPresence &, const TSessionPresence &) = default;
};

class IUserSession {
public:
  virtual ~IUserSession() = default;
  // The logon name of the user the process runs for; empty when the system
  // gives none.
  virtual std::string LogonUserName() = 0;
  // Asked once per trace tick; cheap enough for that.
  virtual TSessionPresence Presence() = 0;
};
