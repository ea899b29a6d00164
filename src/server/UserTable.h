#pragma once
// The administrator's list of users ("profile_server users"): one line per
// user, columns aligned by the characters a terminal shows, so that names
// with accented letters (two bytes in UTF-8) keep the columns straight.

#include "server/ProfileStore.h"

#include <cstdint>
#include <string>
#include <vector>

// "YYYY-MM-DD HH:MM:SSZ" in UTC; "-" for 0 (never).
std::string UtcTimeText(int64_t unixTime);

// The table with its heading line, each user's tokens on lines of their own
// below the user's, each line ending in "\n".
std::string FormatUserTable(const std::vector<TUserSummary> &users);
