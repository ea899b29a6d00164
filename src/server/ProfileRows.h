#pragma once
// How a user's profile lies in the tables: the settings row, the history
// rows and the day rows, as statements and as the records their rows make.
// Every statement runs in the caller's transaction.

#include "protocol/DayRecords.h"
#include "protocol/UserData.h"
#include "server/SqlDatabase.h"

#include <cstdint>
#include <string>
#include <vector>

// A time column's seconds; 0 for none or a value that is no number.
int64_t ReadTime(const TSqlValue &value);

// The settings row: its values for SettingsUpsert ($1 the name, the
// settings in the order of the user data lines, then the time saved).
std::vector<TSqlValue> SettingValues(const std::string &name, const TUserDataRecord &record, int64_t now);
const std::string &SettingsUpsert();
// The history entries in place of the stored ones of their keys.
void StoreHistory(TSqlConnection &db, const std::string &name, std::vector<THistoryLine> history);
// A check-in's days in place of the stored ones of their dates; past the
// bound the oldest go.
void StoreDays(TSqlConnection &db, const std::string &name, const std::vector<TDayRecord> &days, int64_t now);

// The statement that reads the user's stored days, and its rows as days in
// date order (a row that is no record is left out).
TSqlStatement DaysSelect(const std::string &name);
std::vector<TDayRecord> DaysOf(const std::vector<TSqlRow> &rows);
std::vector<TDayRecord> ReadDays(TSqlConnection &db, const std::string &name);

// What a check-in changes: the values of incoming that differ from base, the
// values its computer was given (or sent) last.
TUserDataRecord ChangedSince(const TUserDataRecord &incoming, const TUserDataRecord &base);
// What the computer of token holds now, as the base of its next check-in.
void KeepBase(TSqlConnection &db, const std::string &name, const std::string &token, const TUserDataRecord &held,
              int64_t now);

// The statements that read the user's settings and history, the record
// their rows make, and both in one.
std::vector<TSqlStatement> RecordSelects(const std::string &name);
TUserDataRecord RecordOf(const std::vector<TSqlRow> &settings, const std::vector<TSqlRow> &history);
TUserDataRecord ReadRecord(TSqlConnection &db, const std::string &name);
