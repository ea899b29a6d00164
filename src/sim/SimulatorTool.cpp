#include "sim/SimulatorTool.h"

#include <algorithm>
#include <fstream>
#include <iostream>

namespace {

bool Listed(const std::vector<std::string> &list, const std::string &item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

} // namespace

bool StartSimulatorTool(int argc, char **argv, const TSimulatorToolSyntax &syntax,
                        TSimulatorTool &tool) {
  const auto usage = [&] {
    std::cerr << syntax.Usage;
    return false;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const bool hasValue = i + 1 < argc;
    if ((argument == "--until" || Listed(syntax.ValueOptions, argument)) && hasValue)
      tool.Values[argument] = argv[++i];
    else if (Listed(syntax.Switches, argument))
      tool.Switches.insert(argument);
    else if (!argument.empty() && argument[0] != '-' && tool.ScriptPath.empty())
      tool.ScriptPath = argument;
    else
      return usage();
  }
  if (tool.ScriptPath.empty())
    return usage();
  std::ifstream in(tool.ScriptPath);
  if (!in) {
    std::cerr << syntax.Name << ": cannot read " << tool.ScriptPath << "\n";
    return false;
  }
  std::string error;
  if (!ReadInputScript(in, tool.Script, error, syntax.OwnEvents)) {
    std::cerr << tool.ScriptPath << ":" << error << "\n";
    return false;
  }
  tool.Until = tool.Script.EndSeen ? tool.Script.LastAt : tool.Script.LastAt + 1000;
  const std::string until = tool.Value("--until");
  if (!until.empty() && !ParseScriptTime(until, tool.Until))
    return usage();
  return true;
}
