#pragma once
// The installer's shared objects, one per run: the run state, the install
// script and the archive the start-up opens, the translator of the wizard's
// texts, and the engine working on them. The entry builds it with the real
// platform and the wizard's page; the wizard's pages use it.

#include "kestrup/Engine.h"
#include "ui/Translator.h"

class TKestrupContext {
public:
  TKestrupContext(const TEnginePlatform &platform, IEnginePage &page)
      : Script(platform.Files, platform.Locale), Archive(platform.Files),
        Translator(platform.Files, platform.Locale), Engine(platform, State, page) {
    Engine.SetScript(&Script);
    Engine.SetArchive(&Archive);
  }
  TKestrupContext(const TKestrupContext &) = delete;
  TKestrupContext &operator=(const TKestrupContext &) = delete;

  TRunState State;
  TStrovdexObject Script; // install: the installer folder's copy; uninstall: the product's
  TArchive Archive;       // install mode: the installer's own file
  TTranslator Translator; // Kestrup.lng in the installer folder
  TKestrupEngine Engine;
};
