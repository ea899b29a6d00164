#include "sim/InputScript.h"

#include "data/text/DateTimeText.h"
#include "sim/TraceSimulation.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

bool ParseCoordinate(const std::string &text, int32_t &value) {
  char *end = nullptr;
  long long parsed = std::strtoll(text.c_str(), &end, 10);
  value = static_cast<int32_t>(parsed);
  return !text.empty() && *end == '\0' && parsed >= INT32_MIN && parsed <= INT32_MAX;
}

bool ParseButton(const std::string &text, TMouseButton &button) {
  if (text == "left")
    button = TMouseButton::mbLeft;
  else if (text == "right")
    button = TMouseButton::mbRight;
  else if (text == "middle")
    button = TMouseButton::mbMiddle;
  else
    return false;
  return true;
}

bool IsButtonEvent(const std::string &name) {
  return name == "click" || name == "down" || name == "up" || name == "dclick";
}

bool IsCommonEvent(const std::string &name) {
  return IsButtonEvent(name) || name == "key" || name == "keydown" || name == "keyup" ||
         name == "type" || name == "move" || name == "wheel" || name == "pause" ||
         name == "resume" || name == "end";
}

} // namespace

bool ParseScriptTime(const std::string &text, uint64_t &milliseconds) {
  double total = 0;
  size_t position = 0;
  int fields = 0;
  while (position <= text.size()) {
    size_t colon = text.find(':', position);
    std::string field = text.substr(position, colon == std::string::npos ? std::string::npos
                                                                          : colon - position);
    char *end = nullptr;
    if (field.empty())
      return false;
    double part = std::strtod(field.c_str(), &end);
    if (*end != '\0' || !(part >= 0) ||
        (colon != std::string::npos && field.find('.') != std::string::npos))
      return false;
    total = total * 60 + part;
    if (++fields > 3)
      return false;
    if (colon == std::string::npos)
      break;
    position = colon + 1;
  }
  if (!(total <= 1.0e12))
    return false;
  milliseconds = static_cast<uint64_t>(total * 1000 + 0.5);
  return true;
}

std::string FormatSimTime(TDateTime value) {
  TDateTimeParts p;
  if (!DecodeDateTime(value, p))
    return "?";
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", p.Year, p.Month, p.Day,
                p.Hour, p.Minute, p.Second, p.Millisecond);
  return text;
}

bool ReadInputScript(std::istream &in, TInputScript &script, std::string &error,
                     const TOwnEvents &ownEvents) {
  script = TInputScript();
  EncodeDate(2026, 1, 5, script.Start);
  script.Start += 9.0 / 24;
  auto fail = [&](size_t line, const std::string &what) {
    error = std::to_string(line) + ": " + what;
    return false;
  };
  bool inHeader = true;
  size_t number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (size_t comment = line.find('#'); comment != std::string::npos)
      line.erase(comment);
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    std::istringstream words(line);
    std::string first;
    if (!(words >> first))
      continue;
    if (inHeader && first == "start") {
      std::string rest;
      std::getline(words, rest);
      if (!TextToDateTime(rest, TLocaleFormats(), script.Start))
        return fail(number, "not a date-time:" + rest);
      continue;
    }
    if (inHeader && first == "tick") {
      unsigned long long value;
      if (!(words >> value) || value > 0xFFFFFFFFull)
        return fail(number, "not a tick count");
      script.TickStart = static_cast<uint32_t>(value);
      continue;
    }
    inHeader = false;
    TScriptEvent event;
    event.Line = number;
    if (!ParseScriptTime(first, event.At))
      return fail(number, "not a time: " + first);
    if (event.At < script.LastAt)
      return fail(number, "time goes back");
    if (!(words >> event.Name))
      return fail(number, "no event");
    for (std::string word; words >> word;)
      event.Args.push_back(word);
    const bool common = IsCommonEvent(event.Name);
    if (!common && !(ownEvents && ownEvents(event.Name)))
      return fail(number, "unknown event: " + event.Name);
    std::vector<std::string> &args = event.Args;
    if (common && event.Name != "type" && args.size() >= 2 &&
        ParseCoordinate(args[args.size() - 2], event.Position.X) &&
        ParseCoordinate(args.back(), event.Position.Y)) {
      event.Positioned = true;
      args.resize(args.size() - 2);
    }
    if (common) {
      size_t expected = 0;
      TMouseButton button;
      if (IsButtonEvent(event.Name) && !args.empty()) {
        if (!ParseButton(args[0], button))
          return fail(number, "unknown button: " + args[0]);
        expected = 1;
      }
      if (event.Name == "type")
        expected = 2;
      if (args.size() != expected)
        return fail(number, "unexpected words after " + event.Name);
      if (event.Name == "move" && !event.Positioned)
        return fail(number, "move needs X and Y");
    }
    script.LastAt = event.At;
    if (event.Name == "type") {
      char *end1 = nullptr, *end2 = nullptr;
      unsigned long long count = std::strtoull(args[0].c_str(), &end1, 10);
      unsigned long long every = std::strtoull(args[1].c_str(), &end2, 10);
      if (*end1 || *end2 || every == 0 || count > 100000000)
        return fail(number, "type needs COUNT and MILLISECONDS (above 0)");
      if (count > 0)
        script.LastAt = event.At + (count - 1) * every;
    }
    const bool end = event.Name == "end";
    script.Events.push_back(std::move(event));
    if (end) {
      script.EndSeen = true;
      break;
    }
  }
  return true;
}

bool RunInputEvent(TTraceSimulation &sim, const TScriptEvent &event) {
  const std::string &name = event.Name;
  if (!IsCommonEvent(name) || name == "end")
    return false;
  if (event.Positioned && name != "move")
    sim.Cursor.Position = event.Position;
  TMouseButton button = TMouseButton::mbLeft;
  if (IsButtonEvent(name) && !event.Args.empty())
    ParseButton(event.Args[0], button);
  if (name == "key") {
    sim.KeyStroke();
  } else if (name == "keydown") {
    sim.KeyPress();
  } else if (name == "keyup") {
    sim.KeyRelease();
  } else if (name == "type") {
    const uint64_t count = std::strtoull(event.Args[0].c_str(), nullptr, 10);
    const uint64_t every = std::strtoull(event.Args[1].c_str(), nullptr, 10);
    for (uint64_t n = 0; n < count; ++n) {
      sim.AdvanceTo(event.At + n * every);
      sim.KeyStroke();
    }
  } else if (name == "move") {
    sim.MoveTo(event.Position.X, event.Position.Y);
  } else if (name == "click") {
    sim.Click(button);
  } else if (name == "down") {
    sim.ButtonDown(button);
  } else if (name == "up") {
    sim.ButtonUp(button);
  } else if (name == "dclick") {
    sim.DoubleClick(button);
  } else if (name == "wheel") {
    sim.Wheel();
  } else if (name == "pause") {
    sim.Driven().Pause();
  } else if (name == "resume") {
    sim.Driven().Resume();
  }
  return true;
}
