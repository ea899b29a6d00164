#pragma once
// The common start of the simulator tools (tools/tracesim, tools/daysim):
// the command line (a script file, the tool's own options, "--until TIME"
// for every tool) and the script it names, read with the time the run goes to.

#include "sim/InputScript.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

struct TSimulatorToolSyntax {
  std::string Name;                      // for messages: "daysim"
  std::string Usage;                     // the usage lines printed on a bad command line
  std::vector<std::string> ValueOptions; // options followed by a value: "--rules"
  std::vector<std::string> Switches;     // options on their own: "--no-profile"
  TOwnEvents OwnEvents;                  // the tool's own script events, if any
};

struct TSimulatorTool {
  std::string ScriptPath;
  std::map<std::string, std::string> Values; // option -> its value, as given
  std::set<std::string> Switches;            // switches given
  TInputScript Script;
  // Where the run ends: --until, else the "end" line's time, else one second
  // after the last event.
  uint64_t Until = 0;

  std::string Value(const std::string &option, const std::string &fallback = {}) const {
    auto found = Values.find(option);
    return found == Values.end() ? fallback : found->second;
  }
  bool Has(const std::string &option) const { return Switches.count(option) > 0; }
};

// Reads the command line and the script. False after the reason went to
// standard error (the usage, an unreadable file, "SCRIPT:LINE: reason"); the
// tool then ends with exit code 2.
bool StartSimulatorTool(int argc, char **argv, const TSimulatorToolSyntax &syntax, TSimulatorTool &tool);
