#pragma once
// The entry points of the profile server's client library (MVRClient.dll),
// shared by the library and the program that loads it: every call, the reply
// callback's too, is __stdcall (the callee removes the arguments) and every
// boolean is one byte.

#include <windows.h>

using TMVRReplyCallback = BOOLEAN(WINAPI *)(const char *reply);
using TOpenMVRNetService = BOOLEAN(WINAPI *)(const char *address, const char *host, INT32 port,
                                             TMVRReplyCallback callback);
using TConnected = BOOLEAN(WINAPI *)();
using TPost = BOOLEAN(WINAPI *)(const char *request);
using TCloseMVRNetService = BOOLEAN(WINAPI *)();
