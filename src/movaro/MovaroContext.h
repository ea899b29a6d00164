#pragma once
// The program's shared objects, built once by the entry and used by its
// windows: the activity monitor, the translator, which of the single windows
// exist, and the user profile. The platform objects are the entry's; the
// context only holds them.

#include "movaro/TraceEngine.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/InputDevices.h"
#include "platform/Locale.h"
#include "platform/Timer.h"
#include "ui/Translator.h"

class TUserData; // the user profile (movaro/profile/)

struct TMovaroPlatform {
  IClock &Clock;
  ICursorPosition &Cursor;
  ITimer &TraceTimer; // the monitor's one-second tick
  IInputHooks &Hooks;
  TFileSystem &Files;
  const ILocale &Locale;
};

// Windows of which at most one exists: each sets its flag when it has been
// made and clears it when it is destroyed; the others test the flag before
// they touch it.
struct TDialogFlags {
  bool MessageDialog = false;  // the prompt dialog
  bool BlockingWindow = false; // the input blocking window
  bool NetworkDialog = false;  // the profile server's log-in dialog
  bool Intro = false;
  bool About = false;
  bool MessageBox = false;
};

class TMovaroContext {
public:
  explicit TMovaroContext(const TMovaroPlatform &platform)
      : Platform(platform),
        Trace(platform.Clock, platform.Cursor, platform.TraceTimer, platform.Hooks, platform.Files),
        Translator(platform.Files, platform.Locale) {
    Trace.RuleSetup.Locale = &platform.Locale;
    platform.TraceTimer.SetHandler([this] { Trace.TraceTick(); });
  }
  ~TMovaroContext() { Platform.TraceTimer.SetHandler(nullptr); }
  TMovaroContext(const TMovaroContext &) = delete;
  TMovaroContext &operator=(const TMovaroContext &) = delete;

  const TMovaroPlatform Platform;
  TTraceEngine Trace;
  TTranslator Translator;
  TDialogFlags Dialogs;
  // Made by the entry at start-up and freed by it at the end; none before.
  TUserData *Profile = nullptr;
};
