#include "movaro/schedule/MainTexts.h"

#include "ui/Translator.h"

const std::array<const char *, kMainTextCount> kMainTextDefaults = {
    "Movaro",
    "is being initialized...",
    "is running",
    "has stopped",
    "Pausing...",
    "Time:",
    "More Info",
    "I Know",
    "Yes",
    "No",
    "Info",
    "Ok",
    "Information",
    "Exercise",
    "Status Question",
    "Working Posture",
    "Unknown",
    "Take a short break of 10 seconds",
    "Take a long break of 10 minutes",
};

namespace {

template <class Lookup> std::vector<std::string> MakeMainTexts(Lookup text) {
  std::vector<std::string> texts(kMainTextCount);
  for (int i = 0; i < kMainTextCount; ++i)
    texts[i] = text(i);
  texts[mtInitializing] = texts[mtTitle] + " " + texts[mtInitializing];
  return texts;
}

} // namespace

std::vector<std::string> BuildMainTexts(TTranslator &translator, const std::string &languageFile) {
  return MakeMainTexts([&](int i) {
    return translator.TranslateText(i, kMainFormTable, languageFile, kMainTextDefaults[i]);
  });
}

std::vector<std::string> DefaultMainTexts() {
  return MakeMainTexts([](int i) { return std::string(kMainTextDefaults[i]); });
}
