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

std::string BuildLoginRequest(const std::string &userName);
std::string BuildLogoutRequest(const std::string &userName, const TUserDataSettings &settings,
                               const std::vector<THistoryLine> &history);

// Reads a request text: the command line and the user name line, with keys
// and the command word compared without regard to case. False, with a reason
// a person can read, for anything else.
bool ParseRequest(const std::string &text, TRequest &request, std::string &reason);
