#include "movaro/profile/UserData.h"

#include "base/AnsiText.h"
#include "data/text/RegistryText.h"
#include "movaro/profile/MessageEntry.h"

#include <cstring>
#include <utility>

namespace {

constexpr char kVersionText[] = "3.0";
constexpr char kReleaseText[] = "release 2";
constexpr char kRecentItemName[] = "MainToolBarPopupLastMessageItem";

struct TServerSetting {
  const char *Type, *Name;
};
constexpr TServerSetting kServerSettings[] = {{"ftString", "ServerAddress"},
                                              {"ftString", "ServerHost"},
                                              {"ftInteger", "ServerPort"},
                                              {"ftString", "ConnectionType"}};

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

} // namespace

TUserData::TUserData(TProfilePlatform platform, std::string profileFile)
    : platform_(platform), profileFile_(std::move(profileFile)) {}

// --- registry -----------------------------------------------------------------

void TUserData::LoadSettings() {
  TRegistryText registry(platform_.Registry, platform_.Locale);
  auto read = [&](const TServerSetting &setting) {
    return ReadProgramSetting(registry, setting.Type, setting.Name);
  };
  ServerAddress = read(kServerSettings[0]);
  ServerHost = read(kServerSettings[1]);
  if (!TextToInt32(read(kServerSettings[2]), ServerPort))
    ServerPort = kDefaultServerPort;
  ConnectionType = read(kServerSettings[3]);
  if (ConnectionType != "manual connect")
    ConnectionType = "auto connect";
  storedServerSettings_ = ServerSettingTexts();
  UserName = platform_.Session.LogonUserName();
  if (UserName.empty())
    UserName = kDefaultUserName;
  LoggedIn = false;
}

void TUserData::SaveSettings() {
  TRegistryText registry(platform_.Registry, platform_.Locale);
  const std::array<std::string, 4> texts = ServerSettingTexts();
  for (size_t i = 0; i < texts.size(); ++i)
    if (texts[i] != storedServerSettings_[i] &&
        WriteProgramSetting(registry, kServerSettings[i].Type, texts[i], kServerSettings[i].Name))
      storedServerSettings_[i] = texts[i];
}

std::array<std::string, 4> TUserData::ServerSettingTexts() const {
  return {ServerAddress, ServerHost, std::to_string(ServerPort), ConnectionType};
}

// --- message history ------------------------------------------------------------

void TUserData::BuildMessageHistory(TIDbRecFile &records) {
  MessageHistory.clear();
  for (int32_t n = 1; n <= records.SelectedCount(); ++n) {
    const char *name = records.GetSelectedRecord(n).Name;
    if (!std::strstr(name, "Dlg #") || std::strstr(name, "Dlg #n"))
      continue;
    // A head cut short could neither be stored under a key nor found again.
    std::string head = RecordDialogHead(name);
    if (head.size() >= kEntryHeadLength)
      MessageHistory.push_back(std::move(head));
  }
  const uint32_t count = static_cast<uint32_t>(MessageHistory.size());
  if (count < 2)
    return;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t first = platform_.Random.Below(count);
    uint32_t second = platform_.Random.Below(count - 1); // any position but the first
    if (second >= first)
      ++second;
    std::swap(MessageHistory[first], MessageHistory[second]);
  }
}

std::string TUserData::FindEntry(std::string_view prefix) const {
  if (prefix.empty())
    return "";
  for (const std::string &entry : MessageHistory)
    if (StartsWith(entry, prefix))
      return entry;
  return "";
}

bool TUserData::UpdateEntry(std::string_view prefix, int32_t count, TDateTime value) {
  if (prefix.empty())
    return false;
  for (std::string &entry : MessageHistory) {
    if (!StartsWith(entry, prefix))
      continue;
    entry = MakeEntry(entry, count, value);
    if (WritesToFile() && !EntryKey(entry).empty())
      WriteKey(EntryKey(entry), EntryStoredText(entry));
    return true;
  }
  return false;
}

int32_t TUserData::QuestionRecordIndex(std::string_view entry) {
  TIDbRecFile *records = Links.InfoFile;
  std::string_view head = EntryHead(entry);
  if (!records || head.size() < kEntryHeadLength)
    return 0;
  const std::string marker = "Dlg #" + std::string(head);
  for (int32_t n = 1; n <= records->SelectedCount(); ++n)
    if (std::strstr(records->GetSelectedRecord(n).Name, marker.c_str()))
      return n;
  return 0;
}

// --- the profile file -------------------------------------------------------------

void TUserData::LoadProfile(bool openNetworkConfiguration) {
  static_cast<TProfileSettings &>(*this) = TProfileSettings();
  for (std::string &entry : MessageHistory)
    entry = std::string(EntryHead(entry)) + kUnshownEntryTail;
  InputActivity = TInputActivity();
  InputActivity.Updated = InputActivity.Started = platform_.Clock.Now();
  InputActivity.StartTick = platform_.Clock.TickCount();

  if (!LoggedIn) {
    serverDays_.reset();
    LoggedIn = Links.Network && Links.Network->NetLogin(*this, openNetworkConfiguration);
  }
  loadedSection_.clear();
  const std::string section = UserName + ".Data";
  if (!LoggedIn) {
    ReadSection(section);
    loadedSection_ = section;
  } else if (ServerSavePending(section)) {
    // The server never confirmed the last check-in: the file holds newer
    // values than the server sent, and they go back at the next logout.
    ReadSection(section);
  } else {
    ReadSettings(section, kFirstLocalSetting);
  }
  ShowTitle();

  if (ConfigWarningtype == 0)
    ConfigWarningsoundfile.clear();
  if (Links.View)
    Links.View->ShowSettings(*this);
  ApplyRulePeriods();
  RecentMessages.clear();
  if (Links.View)
    Links.View->ShowRecentMessages({});
  UpdateTestGauges();
}

void TUserData::SaveProfile() {
  WriteDayRecord();
  if (LoggedIn) {
    bool saved = false;
    LoggedIn = Links.Network && Links.Network->NetLogout(*this, saved);
    if (!LoggedIn) {
      serverDays_.reset();
      // The file keeps the day's settings and history whatever the server
      // answered, and notes when the server lacks them.
      loadedSection_ = UserName + ".Data";
      WriteSection();
      WriteKey(kServerSavePendingKey, saved ? "0" : "1");
    }
  } else if (!loadedSection_.empty()) {
    WriteSection();
  }
  ShowTitle();
}

void TUserData::ReadSettings(const std::string &section, int first) {
  for (int i = first; i < kSettingCount; ++i) {
    std::string text;
    platform_.ProfileFiles.ReadString(profileFile_, section, kSettingNames[i],
                                      SettingText(*this, i), text);
    ApplySettingText(*this, i, text); // junk leaves the default
    storedSettings_[i] = text;
  }
}

void TUserData::ReadSection(const std::string &section) {
  ReadSettings(section, 0);
  for (std::string &entry : MessageHistory) {
    std::string key = EntryKey(entry), text;
    if (key.empty())
      continue;
    platform_.ProfileFiles.ReadString(profileFile_, section, key, kUnshownEntryTail, text);
    entry = EntryFromStoredText(entry, text);
  }
}

void TUserData::WriteSection() {
  for (int i = 0; i < kSettingCount; ++i) {
    std::string text = SettingText(*this, i);
    if (WriteKey(kSettingNames[i], text))
      storedSettings_[i] = text;
  }
  for (const std::string &entry : MessageHistory)
    if (std::string key = EntryKey(entry); !key.empty())
      WriteKey(key, EntryStoredText(entry));
}

bool TUserData::ServerSavePending(const std::string &section) {
  std::string text;
  platform_.ProfileFiles.ReadString(profileFile_, section, kServerSavePendingKey, "0", text);
  return text == "1";
}

void TUserData::StoreSettings() {
  // Logged in, only this computer's own settings go to the file.
  if (!WritesToFile() && !LoggedIn)
    return;
  const std::string section = LoggedIn ? UserName + ".Data" : loadedSection_;
  for (int i = LoggedIn ? kFirstLocalSetting : 0; i < kSettingCount; ++i) {
    std::string text = SettingText(*this, i);
    if (text != storedSettings_[i] &&
        platform_.ProfileFiles.WriteString(profileFile_, section, kSettingNames[i], text))
      storedSettings_[i] = text;
  }
}

bool TUserData::WriteKey(const std::string &key, const std::string &value) {
  return platform_.ProfileFiles.WriteString(profileFile_, loadedSection_, key, value);
}

// --- the history file -------------------------------------------------------------

void TUserData::WriteDayRecord() {
  const TTraceState *trace = Links.Trace;
  if (!platform_.Files || !trace || !trace->Rules)
    return;
  const TDayRecord session = TakeDayRecord(*trace, MessageHistory);
  const std::string file = DayHistoryFile(profileFile_, UserName);
  if (file.empty() || DayRecordEmpty(session))
    return;
  if (file != dayBaseFile_ || trace->Start != dayBaseStart_) {
    dayBase_ = TDayRecord();
    for (const TDayRecord &day : ReadDayHistory(*platform_.Files, file).Days)
      if (day.Date == session.Date)
        dayBase_ = day;
    dayBaseFile_ = file;
    dayBaseStart_ = trace->Start;
  }
  const TDayRecord day = dayBase_.Date == session.Date ? CombineDays(dayBase_, session) : session;
  // Two events of one moment (a save, then the day's end before the next
  // tick; a stop, then its save) find the same record: it is written once.
  if (file == lastWrittenFile_ && day == lastWritten_)
    return;
  int32_t leftOut = 0;
  const bool written = WriteDayHistory(*platform_.Files, file, day, &leftOut);
  NoteLeftOut(file, leftOut);
  if (written) {
    lastWritten_ = day;
    lastWrittenFile_ = file;
  }
  if (OnDayRecord)
    OnDayRecord(day, written);
}

TDayHistory TUserData::ReadHistory() {
  WriteDayRecord();
  const std::string file = DayHistoryFile(profileFile_, UserName);
  if (!platform_.Files || file.empty())
    return {};
  TDayHistory history = ReadDayHistory(*platform_.Files, file);
  if (file == leftOutFile_)
    history.DamagedLines += leftOut_;
  return history;
}

void TUserData::NoteLeftOut(const std::string &file, int32_t lines) {
  if (lines <= 0)
    return;
  if (file != leftOutFile_)
    leftOut_ = 0;
  leftOut_ += lines;
  leftOutFile_ = file;
}

std::optional<TDaySpans> TUserData::HistoryDays() {
  const std::string file = DayHistoryFile(profileFile_, UserName);
  if (!platform_.Files || file.empty())
    return std::nullopt;
  std::vector<int32_t> dates;
  for (const TDayRecord &day : ReadDayHistory(*platform_.Files, file).Days)
    dates.push_back(day.Date);
  return DaySpansOf(std::move(dates));
}

void TUserData::TakeServerDays(const TUserDataRecord &reply) {
  serverDays_ = reply.StoredDays;
  // The trace state restarts before the login of a day: the day it measures
  // is never before this one.
  serverCheckOutDate_ = static_cast<int32_t>(DatePart(platform_.Clock.Now()));
  const std::string file = DayHistoryFile(profileFile_, UserName);
  int32_t leftOut = 0;
  if (serverDays_ && platform_.Files && !file.empty() && !reply.Days.empty() &&
      AddMissingDays(*platform_.Files, file, reply.Days, &leftOut))
    dayBaseStart_ = -1; // today's earlier figures may have come with them
  NoteLeftOut(file, leftOut);

}

std::vector<TDayRecord> TUserData::DaysForServer() {
  std::vector<TDayRecord> days;
  const std::string file = DayHistoryFile(profileFile_, UserName);
  if (!serverDays_ || !platform_.Files || file.empty())
    return days;
  const TDayHistory history = ReadDayHistory(*platform_.Files, file);
  for (auto day = history.Days.rbegin(); day != history.Days.rend() && days.size() < kMaxDaysPerCheckIn; ++day)
    if (day->Date >= serverCheckOutDate_ || !InDaySpans(*serverDays_, day->Date))
      days.push_back(*day);
  return days;
}

// --- what the main window shows --------------------------------------------------

std::string TUserData::Title() {
  std::string text0 = Links.View ? Links.View->MainText(0) : "";
  return text0 + " " + kVersionText + " " + kReleaseText + " - " + UserName +
         (LoggedIn ? " (logged in)" : " (logged out/local)");
}

void TUserData::ShowTitle() {
  if (Links.View)
    Links.View->ShowTitle(Title());
}

void TUserData::ApplyRulePeriods() {
  TRuleList *rules = Links.Trace ? Links.Trace->Rules.get() : nullptr;
  if (!rules || rules->size() <= 4)
    return;
  const int32_t support = SupportPeriodSeconds(*this);
  (*rules)[0].TraceMsgStats.TracePeriod = support / kSecondsPerDay;
  (*rules)[3].TraceMsgStats.TracePeriod = ConfigShortPause / kSecondsPerDay;
  (*rules)[4].TraceMsgStats.TracePeriod = ConfigLongPause * 60 / kSecondsPerDay;
  if (Links.View)
    Links.View->ShowSupportLabel(SupportLabelText(support));
}

bool TUserData::RecordAnswer(const std::string &recordName, bool yes, bool cancelled) {
  const std::string key = RecordDialogHead(recordName.c_str());
  if (recordName.find("Dlg #") == std::string::npos || key.empty())
    return false;
  const int32_t current = EntryCount(FindEntry(key));
  const TDateTime now = platform_.Clock.Now();
  if (!cancelled && Links.Trace)
    ++Links.Trace->Prompts.QuestionsAnswered;
  if (key.size() < 4 || key[3] != 't') {
    UpdateEntry(key, cancelled ? current : (yes ? 1 : 0), now);
    return true;
  }
  auto digit = [&](size_t position) {
    const char c = key.size() >= position ? key[position - 1] : '\0';
    return c >= '0' && c <= '9' ? c - '0' : 0;
  };
  UpdateEntry(key, cancelled ? current : (yes ? digit(7) : digit(6)), now);
  UpdateTestGauges();
  return true;
}

void TUserData::UpdateTestGauges() {
  if (!Links.View)
    return;
  auto gauges = TestGaugeValues(MessageHistory);
  for (int k = 0; k < kTestGaugeCount; ++k)
    if (gauges[k])
      Links.View->ShowGauge(k, *gauges[k]);
}

std::string TUserData::RecentMessageCaption(const std::string &entry) {
  IProfileView *view = Links.View;
  auto mainText = [&](int index) { return view ? view->MainText(index) : std::string(); };
  const TRecentEntryParts parts = ParseRecentEntry(entry);
  const std::string when = " (" + parts.Time + ")";
  if (parts.Rule == 0) {
    TIDbRecFile *records = Links.InfoFile;
    if (!records || parts.Record < 1 || parts.Record > records->SelectedCount())
      return "";
    const char *name = records->GetSelectedRecord(parts.Record).Name;
    if (!std::strstr(name, "Dlg #"))
      return mainText(kTextUnknown);
    std::string head = RecordDialogHead(name);
    int text = kTextUnknown;
    switch (head.size() >= 4 ? head[3] : '\0') {
    case 'e': text = kTextExercise; break;
    case 'i': text = kTextInformation; break;
    case 't': text = kTextStatusQuestion; break;
    case 'w': text = kTextWorkingPosture; break;
    }
    return mainText(text) + when;
  }
  if (parts.Record != 0)
    return "";
  const TRuleList *rules = Links.Trace ? Links.Trace->Rules.get() : nullptr;
  if (parts.Rule < 0 || !rules || parts.Rule >= static_cast<int32_t>(rules->size()))
    return mainText(kTextUnknown);
  const std::string &label = (*rules)[parts.Rule].StatusLstLbl;
  if (label == "Short Break Warning")
    return (view ? view->TranslateMainText(kShortBreakCaptionText, label) : label) + when;
  if (label == "Long Break Warning")
    return (view ? view->TranslateMainText(kLongBreakCaptionText, label) : label) + when;
  return label + when;
}

void TUserData::AddRecentMessage(const std::string &entry) {
  if (!entry.empty())
    RecentMessages.insert(RecentMessages.begin(), entry);
  if (RecentMessages.size() > kMaxRecentMessages)
    RecentMessages.resize(kMaxRecentMessages);
  if (!Links.View)
    return;
  std::vector<TRecentMessageItem> items;
  for (size_t i = 0; i < RecentMessages.size(); ++i)
    items.push_back({kRecentItemName + std::to_string(i), RecentMessageCaption(RecentMessages[i])});
  Links.View->ShowRecentMessages(items);
}
