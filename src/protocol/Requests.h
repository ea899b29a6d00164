#pragma once
// The program's two requests to the profile server, as texts with CR LF line
// ends:
//   check-out (log in):  "command=getuserdata" CR LF "username=" name CR LF
//   check-in (log out):  "command=putuserdata" CR LF "username=" name CR LF,
//                        then the user data lines (protocol/UserData.h)

#include "protocol/UserData.h"

#include <string>
#include <vector>

enum class TRequestCommand { GetUserData, PutUserData };

struct TRequest {
  TRequestCommand Command = TRequestCommand::GetUserData;
  std::string UserName;
  std::string UserData; // the lines after the user name, as sent
};

// User names: 1 to 64 bytes of 8-bit ANSI text, printable (no control
// characters, no DEL), none of " ' ` \ / : ; , = | < > * ? [ ] and no
// space at either end. The
// server refuses any other name before it stores anything; names stay safe
// to show in a log, a table or a file name.
inline constexpr size_t kUserNameMaxLength = 64;
bool IsValidUserName(const std::string &name);

// Enrolment codes: the administrator's one-time admission of a computer (its
// token) for a user. 10 characters of kEnrolmentCodeAlphabet, shown as two
// groups of five ("ABCDE-FGH23"); typed in any case, with or without the
// hyphen and spaces.
inline constexpr char kEnrolmentCodeAlphabet[] = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ"; // no 0 O 1 I
inline constexpr size_t kEnrolmentCodeLength = 10;
// The code as typed in its one form (upper case, no separators); empty when
// it is not a code.
std::string NormalizedEnrolmentCode(const std::string &typed);

// A check-out may carry the enrolment code the user typed, from the network
// dialog to the client library, as the line "enrolmentcode=" code after the
// user name; the library takes the line out of the text and sends the code in
// the request's enrolment header (protocol/HttpExchange.h) instead.
inline constexpr char kEnrolmentCodeKey[] = "enrolmentcode";
// knownDays: the days the computer has, asking the server for the others
// (UserData.h); none: a check-out as programs before the day history made it.
std::string BuildLoginRequest(const std::string &userName, const std::string &enrolmentCode = "",
                              const TDaySpans *knownDays = nullptr);
// Takes the enrolment code line (the third line, key without regard to case)
// out of a request text and gives its value; empty, the text unchanged, when
// there is none.
std::string TakeEnrolmentCode(std::string &requestText);
// days: the day records the server lacks, as "DayRecord" lines at the end.
std::string BuildLogoutRequest(const std::string &userName, const TUserDataSettings &settings,
                               const std::vector<THistoryLine> &history,
                               const std::vector<TDayRecord> &days = {});

// Reads a request text: the command line and the user name line, with keys
// and the command word compared without regard to case. False, with a reason
// a person can read, for anything else.
bool ParseRequest(const std::string &text, TRequest &request, std::string &reason);
