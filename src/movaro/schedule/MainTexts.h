#pragma once
// The main window's numbered message texts: status line words, button
// captions of the prompts, the absence notice and the two break prompts. They
// come from the language table "MainForm" by number and are built again
// whenever the language changes; a text the table lacks keeps its English
// default.

#include <array>
#include <string>
#include <vector>

class TTranslator;

enum TMainText : int {
  mtTitle = 0,        // the program name, used in the title and the status line
  mtInitializing = 1, // the title, a blank and "is being initialized..."
  mtRunning = 2,
  mtStopped = 3,
  mtPausing = 4,      // the absence notice
  mtTime = 5,         // prefix of the status bar clock
  mtMoreInfo = 6,
  mtIKnow = 7,
  mtYes = 8,
  mtNo = 9,
  mtInfo = 10,
  mtOk = 11,
  mtShortBreak = 17,  // the message of the short break rule
  mtLongBreak = 18,   // the message of the long break rule
};
constexpr int kMainTextCount = 19;
extern const std::array<const char *, kMainTextCount> kMainTextDefaults;

// The language table the main window's texts and tagged controls come from.
inline const std::string kMainFormTable = "MainForm";

// Entry 0 is the translated title, entry 1 the title, a blank and text 1,
// every other entry its text alone.
std::vector<std::string> BuildMainTexts(TTranslator &translator, const std::string &languageFile);
// The English texts, as BuildMainTexts gives them without a language file.
std::vector<std::string> DefaultMainTexts();
