#pragma once
// The installer's shared objects, one per run: the platform, the run state,
// the install script and the archive the start-up opens, the languages of
// the language file and the translator of the wizard's texts, and the engine
// working on them. The entry builds it with the real platform and the
// wizard's page (or the silent run's); the start-up and the wizard use it.

#include "kestrup/Engine.h"
#include "ui/Translator.h"

#include <string>
#include <vector>

// One language of the language file's "Contents" table.
struct TLanguageEntry {
  int32_t Number = 0; // "iCountry", a country calling code
  std::string Name;   // "sCountry", shown in the language list
};

class TKestrupContext {
public:
  TKestrupContext(const TEnginePlatform &platform, IEnginePage &page)
      : Platform(platform), Script(platform.Files, platform.Locale), Archive(platform.Files),
        Translator(platform.Files, platform.Locale), Engine(platform, State, page) {
    Engine.SetScript(&Script);
    Engine.SetArchive(&Archive);
  }
  TKestrupContext(const TKestrupContext &) = delete;
  TKestrupContext &operator=(const TKestrupContext &) = delete;

  // The language number of the run and of the translator, kept together.
  void SetLanguage(int32_t number) {
    State.Language = number;
    Translator.LanguageNumber = number;
  }

  const TEnginePlatform Platform;
  TRunState State;
  TStrovdexObject Script; // install: the installer folder's copy; uninstall: the product's
  TArchive Archive;       // install mode: the installer's own file
  TTranslator Translator; // Kestrup.lng in the installer folder
  TKestrupEngine Engine;
  // The running program's own file (install mode: the setup file).
  std::string ProgramPath;
  // Kestrup.lng in the installer folder, and the languages listed in it
  // that the language list offers, sorted by name.
  std::string LanguageFile;
  std::vector<TLanguageEntry> Languages;
  // The product, version and kind of run, as the window's header shows it.
  std::string Header;
};
