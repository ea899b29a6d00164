#pragma once
// The profile server's replies, as the program reads them:
//   "userdata=" followed by the user data lines    the stored user data
//   "userdata=NO_DATA_FOUND"                       nothing stored for the user yet
//   "Status=Userdata has been saved"               a check-in was stored
//   "Status=Error: " followed by a reason          a request was refused

#include "protocol/UserData.h"

#include <string>

inline constexpr char kUserDataReplyPrefix[] = "userdata=";
inline constexpr char kNoDataFound[] = "NO_DATA_FOUND";
inline constexpr char kSavedReply[] = "Status=Userdata has been saved";

// "userdata=" and the record's lines, or "userdata=NO_DATA_FOUND" when the
// record holds nothing.
std::string UserDataReply(const TUserDataRecord &record);
std::string ErrorReply(const std::string &reason);

// What a reply is, tested in this order; "begins with" is an exact,
// case-sensitive test at the first character.
enum class TReplyKind {
  Error,    // begins with "Status=Error"
  Status,   // begins with "Status="
  NoData,   // begins with "userdata=" and holds "NO_DATA_FOUND" anywhere
  UserData, // begins with "userdata=" otherwise
  Other,    // anything else: ignored
};
TReplyKind ClassifyReply(const std::string &reply);
// Everything after the first "=" of reply (for a status: the text shown; for
// user data: its lines); empty without one.
std::string ReplyText(const std::string &reply);
