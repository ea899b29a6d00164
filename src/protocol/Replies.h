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

// Why the server refuses a computer's token for a user before it is enrolled
// (ErrorReply of these): the network dialog asks for an enrolment code on
// the first and says what was wrong with the code on the others.
inline constexpr char kNotEnrolledReason[] =
    "access denied: this computer is not enrolled for this user; enter the enrolment code from the administrator";
inline constexpr char kCodeNotForUserReason[] = "access denied: the enrolment code is not one for this user";
inline constexpr char kCodeExpiredReason[] =
    "access denied: the enrolment code has expired; ask the administrator for a new one";
inline constexpr char kCodeUsedReason[] =
    "access denied: the enrolment code has been used already; ask the administrator for a new one";

// "userdata=" and the record's lines, or "userdata=NO_DATA_FOUND" when the
// record holds no setting and no history entry; its day lines follow either.
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
