#include "server/ProfileRows.h"

#include "base/Decimal.h"
#include "protocol/TextLines.h"
#include "server/ProfileStore.h"

#include <algorithm>
#include <map>

// The settings columns in the order of the user data lines.
const char *const kSettingColumns[] = {
    "config_level",       "config_level_base",        "config_warningtype",
    "config_warningsoundfile", "config_show_in_systray", "config_short_pause",
    "config_short_pause_block", "config_long_pause",    "config_long_pause_block",
};
constexpr size_t kSettingColumnCount = sizeof kSettingColumns / sizeof kSettingColumns[0];

// History rows per statement: three parameters each, well below the
// parameter limits of both engines. A check-in's rows go in statements of
// these many rows and fewer, halving: a few texts, each prepared once per
// connection, serve every count.
constexpr size_t kHistoryBatch = 128;

// Day rows per statement: each takes a parameter for its date and one per
// figure, well below the parameter limits of both engines.
constexpr size_t kDayBatch = 100;


static TSqlValue Number(const std::optional<int32_t> &value) {
  return value ? TSqlValue(std::to_string(*value)) : TSqlValue();
}
static TSqlValue Switch(const std::optional<bool> &value) {
  return value ? TSqlValue(*value ? "1" : "0") : TSqlValue();
}

static std::optional<int32_t> ReadNumber(const TSqlValue &value) {
  int64_t n;
  if (value && ParseDecimal(*value, INT32_MIN, INT32_MAX, n))
    return static_cast<int32_t>(n);
  return std::nullopt;
}
static std::optional<bool> ReadSwitch(const TSqlValue &value) {
  std::optional<int32_t> n = ReadNumber(value);
  return n ? std::optional<bool>(*n != 0) : std::nullopt;
}
int64_t ReadTime(const TSqlValue &value) {
  int64_t n = 0;
  return value && ParseDecimal(*value, INT64_MIN, INT64_MAX, n) ? n : 0;
}

std::vector<TSqlValue> SettingValues(const std::string &name, const TUserDataRecord &r, int64_t now) {
  return {name,
          Number(r.ConfigLevel),
          Number(r.ConfigLevelBase),
          Number(r.ConfigWarningtype),
          r.ConfigWarningsoundfile ? TSqlValue(StoredText(*r.ConfigWarningsoundfile)) : TSqlValue(),
          Switch(r.ConfigShowInSysTray),
          Number(r.ConfigShortPause),
          Switch(r.ConfigShortPauseBlock),
          Number(r.ConfigLongPause),
          Switch(r.ConfigLongPauseBlock),
          std::to_string(now)};
}

const std::string &SettingsUpsert() {
  static const std::string sql = [] {
    std::string columns, values = "$1", updates;
    for (size_t i = 0; i < kSettingColumnCount; ++i) {
      std::string column = kSettingColumns[i];
      columns += ", " + column;
      values += ", $" + std::to_string(i + 2);
      updates += column + " = COALESCE(excluded." + column + ", settings." + column + "), ";
    }
    return "INSERT INTO settings (user_name" + columns + ", saved) VALUES (" + values + ", $" +
           std::to_string(kSettingColumnCount + 2) + ") ON CONFLICT (user_name) DO UPDATE SET " + updates +
           "saved = excluded.saved";
  }();
  return sql;
}

static const std::string &SettingsSelect() {
  static const std::string sql = [] {
    std::string text = "SELECT ";
    for (size_t i = 0; i < kSettingColumnCount; ++i)
      text += std::string(i ? ", " : "") + kSettingColumns[i];
    return text + " FROM settings WHERE user_name = $1";
  }();
  return sql;
}

// The statement that stores so many history rows of one user ($1).
static const std::string &HistoryUpsert(size_t rows) {
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> made(kHistoryBatch + 1);
    for (size_t count = 1; count <= kHistoryBatch; count *= 2) {
      std::string sql = "INSERT INTO history (user_name, entry_key, answer_count, shown_day) VALUES ";
      for (size_t i = 0; i < count; ++i) {
        size_t p = 2 + 3 * i;
        sql += std::string(i ? ", " : "") + "($1, $" + std::to_string(p) + ", CAST($" + std::to_string(p + 1) +
               " AS INTEGER), CAST($" + std::to_string(p + 2) + " AS INTEGER))";
      }
      made[count] = sql + " ON CONFLICT (user_name, entry_key) DO UPDATE SET answer_count = excluded.answer_count,"
                          " shown_day = excluded.shown_day";
    }
    return made;
  }();
  return texts[rows];
}

void StoreHistory(TSqlConnection &db, const std::string &name, std::vector<THistoryLine> history) {
  // One order for every writer, so that two check-ins of one user lock the
  // rows in the same order.
  std::sort(history.begin(), history.end(),
            [](const THistoryLine &a, const THistoryLine &b) { return a.Key < b.Key; });
  std::vector<TSqlValue> params;
  for (size_t begin = 0; begin < history.size();) {
    size_t rows = kHistoryBatch;
    while (rows > history.size() - begin)
      rows /= 2;
    params.clear();
    params.push_back(name);
    for (size_t i = begin; i < begin + rows; ++i) {
      params.push_back(StoredText(history[i].Key));
      params.push_back(std::to_string(history[i].Count));
      params.push_back(std::to_string(history[i].Day));
    }
    db.Send(HistoryUpsert(rows), params);
    begin += rows;
  }
}

static std::string DayColumns() {
  std::string columns = "day";
  for (const char *name : kDayRecordFieldNames)
    columns += std::string(", ") + name;
  return columns;
}

// A check-in's days in place of the stored ones of their dates; past the
// bound the oldest go.
void StoreDays(TSqlConnection &db, const std::string &name, const std::vector<TDayRecord> &days, int64_t now) {
  if (days.empty())
    return;
  std::string updates;
  for (const char *column : kDayRecordFieldNames)
    updates += std::string(updates.empty() ? "" : ", ") + column + " = excluded." + column;
  for (size_t begin = 0; begin < days.size(); begin += kDayBatch) {
    const size_t end = std::min(days.size(), begin + kDayBatch);
    std::string sql = "INSERT INTO days (user_name, " + DayColumns() + ", saved) VALUES ";
    std::vector<TSqlValue> params{name, std::to_string(now)};
    for (size_t i = begin; i < end; ++i) {
      sql += std::string(i > begin ? ", " : "") + "($1, $" + std::to_string(params.size() + 1);
      params.push_back(DayRecordDate(days[i].Date));
      for (int32_t value : DayRecordValues(days[i])) {
        params.push_back(std::to_string(value));
        sql += ", CAST($" + std::to_string(params.size()) + " AS INTEGER)";
      }
      sql += ", CAST($2 AS BIGINT))";
    }
    db.Send(sql + " ON CONFLICT (user_name, day) DO UPDATE SET " + updates + ", saved = excluded.saved", params);
  }
  db.Send("DELETE FROM days WHERE user_name = $1 AND day < (SELECT day FROM days WHERE user_name = $1"
          " ORDER BY day DESC LIMIT 1 OFFSET " + std::to_string(kMaxHistoryDays - 1) + ")",
          {name});
}

// The statement that reads the user's stored days, and its rows as days in
// date order (a row that is no record is left out).
TSqlStatement DaysSelect(const std::string &name) {
  return {"SELECT " + DayColumns() + " FROM days WHERE user_name = $1 ORDER BY day", {name}};
}
std::vector<TDayRecord> DaysOf(const std::vector<TSqlRow> &rows) {
  std::vector<TDayRecord> days;
  for (const TSqlRow &row : rows) {
    TDayRecord day;
    bool whole = row[0] && ParseDayRecordDate(*row[0], day.Date);
    const auto fields = DayRecordFields(day);
    for (int i = 0; whole && i < kDayRecordFieldCount; ++i) {
      const std::optional<int32_t> value = ReadNumber(row[1 + i]);
      whole = value.has_value();
      *fields[i] = value.value_or(0);
    }
    if (whole)
      days.push_back(day);
  }
  return days;
}
std::vector<TDayRecord> ReadDays(TSqlConnection &db, const std::string &name) {
  const TSqlStatement select = DaysSelect(name);
  return DaysOf(db.Execute(select.Sql, select.Params));
}

// What a check-in changes: the values of incoming that differ from base, the
// values its computer was given (or sent) last; a value it left as it was
// does not overwrite another computer's change made meanwhile.
TUserDataRecord ChangedSince(const TUserDataRecord &incoming, const TUserDataRecord &base) {
  TUserDataRecord changed = incoming;
  auto keepIfChanged = [](auto &value, const auto &before) {
    if (value && before && *value == *before)
      value.reset();
  };
  keepIfChanged(changed.ConfigLevel, base.ConfigLevel);
  keepIfChanged(changed.ConfigLevelBase, base.ConfigLevelBase);
  keepIfChanged(changed.ConfigWarningtype, base.ConfigWarningtype);
  keepIfChanged(changed.ConfigWarningsoundfile, base.ConfigWarningsoundfile);
  keepIfChanged(changed.ConfigShowInSysTray, base.ConfigShowInSysTray);
  keepIfChanged(changed.ConfigShortPause, base.ConfigShortPause);
  keepIfChanged(changed.ConfigShortPauseBlock, base.ConfigShortPauseBlock);
  keepIfChanged(changed.ConfigLongPause, base.ConfigLongPause);
  keepIfChanged(changed.ConfigLongPauseBlock, base.ConfigLongPauseBlock);
  std::map<std::string, std::pair<int32_t, int32_t>> before;
  for (const THistoryLine &line : base.History)
    before[line.Key] = {line.Count, line.Day};
  std::erase_if(changed.History, [&before](const THistoryLine &line) {
    auto found = before.find(line.Key);
    return found != before.end() && found->second == std::make_pair(line.Count, line.Day);
  });
  return changed;
}

// What the computer of token holds now, as the base of its next check-in.
void KeepBase(TSqlConnection &db, const std::string &name, const std::string &token, const TUserDataRecord &held,
              int64_t now) {
  db.Send("INSERT INTO checkouts (user_name, token_hash, checked_out, lines) VALUES ($1, $2, $3, $4)"
          " ON CONFLICT (user_name, token_hash) DO UPDATE SET checked_out = excluded.checked_out,"
          " lines = excluded.lines",
          {name, token, std::to_string(now), StoredText(FormatUserDataLines(held))});
}

// The statements that read what is stored for the user, settings and
// history, and the record their rows make.
std::vector<TSqlStatement> RecordSelects(const std::string &name) {
  return {{SettingsSelect(), {name}},
          {"SELECT entry_key, answer_count, shown_day FROM history WHERE user_name = $1 ORDER BY entry_key", {name}}};
}
TUserDataRecord RecordOf(const std::vector<TSqlRow> &settings, const std::vector<TSqlRow> &history) {
  TUserDataRecord found;
  if (!settings.empty()) {
    const TSqlRow &s = settings[0];
    found.ConfigLevel = ReadNumber(s[0]);
    found.ConfigLevelBase = ReadNumber(s[1]);
    found.ConfigWarningtype = ReadNumber(s[2]);
    if (s[3])
      found.ConfigWarningsoundfile = AnsiText(*s[3]);
    found.ConfigShowInSysTray = ReadSwitch(s[4]);
    found.ConfigShortPause = ReadNumber(s[5]);
    found.ConfigShortPauseBlock = ReadSwitch(s[6]);
    found.ConfigLongPause = ReadNumber(s[7]);
    found.ConfigLongPauseBlock = ReadSwitch(s[8]);
  }
  for (const TSqlRow &row : history) {
    std::optional<int32_t> count = ReadNumber(row[1]), day = ReadNumber(row[2]);
    if (row[0] && count && day)
      found.History.push_back({AnsiText(*row[0]), *count, *day});
  }
  return found;
}
TUserDataRecord ReadRecord(TSqlConnection &db, const std::string &name) {
  const std::vector<std::vector<TSqlRow>> rows = db.ExecuteAll(RecordSelects(name));
  return RecordOf(rows[0], rows[1]);
}
