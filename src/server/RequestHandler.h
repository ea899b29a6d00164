#pragma once
// One request to the profile server, answered: the bearer token of the HTTP
// Authorization header, an enrolment code, the request text of the body, and the reply text with
// its HTTP status.

#include "server/ProfileStore.h"

#include <string>

struct TServerReply {
  int HttpStatus = 200;
  std::string Text; // a reply text the program reads
  std::string Log;  // one line for the server's log
};

// enrolmentCode: the request's kEnrolmentCodeHeader, empty without one.
TServerReply AnswerRequest(TProfileStore &store, const std::string &authorization,
                           const std::string &enrolmentCode, const std::string &body);
