#pragma once
// The profile of the Windows user who is logged on: settings, message
// history, recent messages and input activity. One exists while the program
// runs. Settings and history live in the section "<user name>.Data" of the
// profile file "movaro.ini", or, while the user is logged in to a server, on
// the server; the server settings live in the registry key
// "Software\Veltrin\Movaro". Where the file and the key are is decided in
// ProfilePlaces.h.
//
// Life: create, LoadSettings; BuildMessageHistory once the information file
// is read; LoadProfile; ... SaveProfile (when monitoring stops, on a new day,
// before a switch of the Windows user, from the network page); SaveSettings
// before the object goes.
//
// Between full saves nothing is lost to a crash or power failure: a setting
// the setup page changed (StoreSettings) and each answer or showing recorded
// (UpdateEntry) go to the file at once. Every write replaces one key in
// place; the section is never erased first, so at any moment each key holds
// its previous or its new value. Only a profile that was loaded from the
// file is written back to it, and to the section it came from. A logout from
// the server also writes the profile to the file, so that a check-in the
// server did not confirm loses nothing; the next login then keeps the file's
// values over the server's.

#include "base/Random.h"
#include "data/recfile/IDbRecs.h"
#include "movaro/TraceEngine.h"
#include "movaro/profile/DayHistory.h"
#include "movaro/profile/ProfilePlaces.h"
#include "movaro/profile/ProfileSettings.h"
#include "movaro/profile/ProfileView.h"
#include "movaro/profile/Statistics.h"
#include "platform/Clock.h"
#include "platform/Locale.h"
#include "platform/ProfileFiles.h"
#include "platform/Registry.h"
#include "platform/UserSession.h"
#include "protocol/UserData.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

constexpr char kDefaultUserName[] = "Default User";
// In the user's section: "1" while the server lacks the last check-in.
constexpr char kServerSavePendingKey[] = "ServerSavePending";
constexpr int32_t kDefaultServerPort = 1684;
// Main texts used for the last-messages captions, and the language-table
// texts of the two break warnings.
constexpr int kTextInformation = 12, kTextExercise = 13, kTextStatusQuestion = 14,
              kTextWorkingPosture = 15, kTextUnknown = 16;
constexpr int kShortBreakCaptionText = 19, kLongBreakCaptionText = 20;
constexpr size_t kMaxRecentMessages = 10;

class TUserData;

// The server side of the profile. Login fetches the settings and history
// into the profile (and may change its server fields); logout sends them and
// always ends logged out, telling in saved whether the server confirmed that
// it stored them. Both return whether the profile is now logged in.
class INetProfile {
public:
  virtual ~INetProfile() = default;
  virtual bool NetLogin(TUserData &profile, bool openConfiguration) = 0;
  virtual bool NetLogout(TUserData &profile, bool &saved) = 0;
};

struct TProfilePlatform {
  IRegistry &Registry;
  const ILocale &Locale;
  IProfileFiles &ProfileFiles;
  IClock &Clock;
  IUserSession &Session;
  IRandomSource &Random;
  // Where the day records go (DayHistory.h); none: no history is kept.
  TFileSystem *Files = nullptr;
};

// What the profile works with once the main window exists; each may be null.
struct TProfileLinks {
  IProfileView *View = nullptr;
  TIDbRecFile *InfoFile = nullptr; // the information file, its language selected
  TTraceState *Trace = nullptr;    // for the rule periods and the rules' labels
  INetProfile *Network = nullptr;  // none: the local file only
};

class TUserData : public TProfileSettings {
public:
  // profileFile: given to the profile-file functions as it is
  // (PrepareProfileFile decides it).
  TUserData(TProfilePlatform platform, std::string profileFile);

  std::vector<std::string> MessageHistory; // entries (MessageEntry.h), in shuffled order
  std::vector<std::string> RecentMessages; // newest first, at most ten
  TInputActivity InputActivity;
  std::string ServerAddress, ServerHost;
  int32_t ServerPort = kDefaultServerPort;
  std::string ConnectionType = "auto connect"; // or "manual connect"
  std::string UserName;
  bool LoggedIn = false; // settings and history came from the server and go back there
  TProfileLinks Links;

  // The server fields from the registry (the user's value, else the
  // program-wide one), the user name from the system.
  void LoadSettings();
  // The server fields changed since LoadSettings, into the user's key; an
  // unchanged one is not written, so a program-wide value keeps reaching the
  // user until the user changes it.
  void SaveSettings();

  // One entry per question record of the selected language (record names
  // with a "Dlg #" part and a complete head; explanation pages excluded),
  // then shuffled.
  void BuildMessageHistory(TIDbRecFile &records);
  // Defaults first, then the server (through a login) or the user's section;
  // shows the result and applies the rule periods.
  void LoadProfile(bool openNetworkConfiguration = false);
  void SaveProfile();
  // Writes the settings the setup page changed (a no-op unless loaded from the
  // file; while logged in only the settings the server does not keep).
  void StoreSettings();

  // The day record of the trace state (Links.Trace) into the user's history
  // file: at the end of a day before the trace state restarts, before
  // monitoring stops, and at every SaveProfile (a switch of the Windows user
  // among them). Monitoring sessions of one day add up into one line. Nothing
  // is written while the trace state has no rules or has measured nothing.
  void WriteDayRecord();
  // Told of every record written, with whether the write succeeded.
  std::function<void(const TDayRecord &, bool written)> OnDayRecord;
  // The user's days as the history file keeps them, today's up to now among
  // them (written first). Empty when no history is kept. Its DamagedLines
  // also counts the damaged lines this program's writes have left out of
  // the file, so that the user learns of them once they are gone.
  TDayHistory ReadHistory();

  // The server side of the history while logged in: a check-out names the
  // days the file has (HistoryDays; none when no history is kept), its reply
  // goes to TakeServerDays, which adds the days the file lacks and keeps its
  // own, and remembers the server's dates; the check-in carries
  // DaysForServer. A server that named no dates keeps no days: nothing goes
  // to it.
  std::optional<TDaySpans> HistoryDays();
  void TakeServerDays(const TUserDataRecord &reply);
  // The file's days the server lacks, and every day from the check-out's
  // date on (today's among them, since it changes), the newest first, at most
  // kMaxDaysPerCheckIn; none when the server keeps no days.
  std::vector<TDayRecord> DaysForServer();
  // The server's dates as its check-out named them; none while logged out.
  const std::optional<TDaySpans> &ServerDays() const { return serverDays_; }

  // The first entry beginning with prefix, or empty (also for an empty prefix).
  std::string FindEntry(std::string_view prefix) const;
  // Gives that entry the count and the day of value, and writes it through.
  // False when there is none.
  bool UpdateEntry(std::string_view prefix, int32_t count, TDateTime value);
  // An answer to the question of a dialog record (its name), into the
  // history: a health message's count becomes 1 for yes and 0 for no, a
  // test question's the score of the answer (yes: the head's seventh digit,
  // no: its sixth) with the test gauges recomputed; a cancel keeps the count
  // and only moves the day; an entry the history lacks stays missing. False
  // (nothing changed) for a record that is no dialog.
  bool RecordAnswer(const std::string &recordName, bool yes, bool cancelled);
  // The selected record (from 1) whose name holds "Dlg #" and the entry's
  // head; 0 when there is none or the entry has no complete head.
  int32_t QuestionRecordIndex(std::string_view entry);
  // Puts a recent-messages entry in front (an empty one only rebuilds the
  // menu), keeps ten and rebuilds the last-messages menu.
  void AddRecentMessage(const std::string &entry);
  // The caption of a recent-messages entry in that menu.
  std::string RecentMessageCaption(const std::string &entry);

  // Rule 0 from the support level, rules 3 and 4 from the break settings, and
  // the support label; nothing unless the rule list holds the five built-in rules.
  void ApplyRulePeriods();
  void UpdateTestGauges();
  // Main text 0, the version, the user and the login state.
  std::string Title();
  // The profile file, as the profile-file functions are given it.
  const std::string &ProfileFile() const { return profileFile_; }

private:
  void ShowTitle();
  // The settings and history from the section, or into the loaded one.
  void ReadSettings(const std::string &section, int first);
  void ReadSection(const std::string &section);
  void WriteSection();
  // The last check-in of the section's user was not confirmed by the server.
  bool ServerSavePending(const std::string &section);
  bool WriteKey(const std::string &key, const std::string &value);
  bool WritesToFile() const { return !LoggedIn && !loadedSection_.empty(); }

  TProfilePlatform platform_;
  std::string profileFile_;
  // The section the profile was read from; empty while it was not read from
  // the file (never loaded, or logged in).
  std::string loadedSection_;
  // The settings' texts as the file holds them, as far as this object knows.
  std::array<std::string, kSettingCount> storedSettings_;
  // The server fields as texts, in the order of kServerSettings (UserData.cpp).
  std::array<std::string, 4> ServerSettingTexts() const;
  std::array<std::string, 4> storedServerSettings_;
  // What earlier monitoring sessions left in the history for the day the
  // current one measures, read at its first write; dayBaseFile_ and
  // dayBaseStart_ tell which session and file it belongs to.
  TDayRecord dayBase_;
  std::string dayBaseFile_;
  TDateTime dayBaseStart_ = -1;
  // The record last written and its file.
  TDayRecord lastWritten_;
  std::string lastWrittenFile_;
  // Damaged lines the writes left out of a history file, and which file.
  void NoteLeftOut(const std::string &file, int32_t lines);
  int32_t leftOut_ = 0;
  std::string leftOutFile_;
  std::optional<TDaySpans> serverDays_;
  int32_t serverCheckOutDate_ = 0;
};
