#pragma once
// The six languages of the product: language number (the country calling
// code the programs select by), the name of its source files, and the code
// in the names of the licence files.

#include <array>
#include <string>

struct TLanguage {
  int Number;
  const char *Source;  // content/.../<Source>.txt
  const char *Licence; // Kestrup_lic_<Licence>.rtf
};

inline constexpr std::array<TLanguage, 6> kLanguages{{{31, "dutch", "nl"},
                                                      {33, "french", "fr"},
                                                      {34, "spanish", "es"},
                                                      {39, "italian", "it"},
                                                      {44, "english", "uk"},
                                                      {49, "german", "de"}}};

inline const TLanguage *FindLanguage(int number) {
  for (const auto &language : kLanguages)
    if (language.Number == number)
      return &language;
  return nullptr;
}
