#pragma once
// MVRClient.dll, the network client library of the profile, as its callers
// see it. The program loads it by name and looks the four entry points up by
// their plain names (their types: platform/win32/NetClientEntryPoints.h).
//
//   OpenMVRNetService(address, host, port, callback)
//     Starts a connection to the profile server at address (or, when that is
//     empty or cannot be reached, host) and port, on a thread of its own that
//     keeps it open and opens it again when it drops. True when the
//     connection is being set up; false for an empty address and host, a port
//     outside 1..65535 or no callback. A service still open is closed first.
//   Connected()
//     True while the connection stands.
//   Post(request)
//     Sends one request text and waits, at most kReplyTimeoutMs, for the
//     reply, which it hands to the callback on the calling thread before it
//     returns: the server's reply text, or "Status=Error: " and the reason
//     when there is no reply (server unreachable, connection lost, no answer
//     in time, an answer that is not one). True when the server answered with
//     HTTP status 200. False at once, with no callback, when no service is
//     open or request is null.
//   CloseMVRNetService()
//     Ends the connection and its thread. Safe to call from the callback; the
//     library must not be unloaded from inside the callback.
//
// An address or host written "https://name" makes the connection TLS for
// both names, the server's certificate checked against the fingerprint
// pinned for the server (UserToken.h) or else the computer's authorities.
//
// Below the request text the library adds the user's bearer token, created at
// the user's first request and kept in the user's registry hive (see the
// profile server's README for the protocol). A check-out whose text carries
// the line "enrolmentcode=" code after the user name (protocol/Requests.h)
// sends the code with that request, in its enrolment header, and not the line.

#include "platform/win32/NetClientEntryPoints.h"

inline constexpr DWORD kReplyTimeoutMs = 10000;
