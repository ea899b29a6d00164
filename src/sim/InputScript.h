#pragma once
// Input scripts of the simulators: a few header lines (the wall clock and the
// tick counter at script time 0), then one event per line at a script time,
// in order. The input events (keys, typing, mouse moves, clicks, wheel turns,
// pause and resume) are common; a simulator adds its own events and runs
// them itself. The format is described in tools/tracesim/README.md.

#include "base/DateTime.h"
#include "platform/InputDevices.h"

#include <cstdint>
#include <functional>
#include <istream>
#include <string>
#include <vector>

class TTraceSimulation;

struct TScriptEvent {
  size_t Line = 0;        // from 1, for messages
  uint64_t At = 0;        // milliseconds since script time 0
  std::string Name;
  std::vector<std::string> Args;
  bool Positioned = false; // a trailing "X Y": where the cursor is at the event
  TCursorPoint Position;
};

struct TInputScript {
  TDateTime Start = 0; // wall clock at script time 0
  uint32_t TickStart = 0;
  std::vector<TScriptEvent> Events;
  bool EndSeen = false; // an "end" line stopped the script
  uint64_t LastAt = 0;  // the time of the last event (the last keystroke of a "type")
};

// Whether a simulator knows an event of its own (checked only for names the
// common events do not have).
using TOwnEvents = std::function<bool(const std::string &name)>;

// Reads a script; false with "LINE: reason" in error for a line that cannot
// be read. Without a "start" line the wall clock starts on 2026-01-05 09:00.
bool ReadInputScript(std::istream &in, TInputScript &script, std::string &error,
                     const TOwnEvents &ownEvents = {});

// "90", "90.5", "1:30", "1:02:03.250": a script time in milliseconds.
bool ParseScriptTime(const std::string &text, uint64_t &milliseconds);
// yyyy-mm-dd hh:mm:ss.zzz
std::string FormatSimTime(TDateTime value);

// Runs a common input event on the simulation (advanced to its time
// already); false for an event that is not one of them.
bool RunInputEvent(TTraceSimulation &sim, const TScriptEvent &event);
