#pragma once
// Opening a web address with the program registered for HTML files.

#include "platform/Registry.h"
#include "platform/Shell.h"

#include <string>

// The browser's command as the classes root registers it for ".HTML" (else
// ".HTM", ".SHTML", ".SHTM"), split into the program and its parameters
// (without the placeholder of the document and without quotes). False when
// no browser is registered.
struct TBrowserCommand {
  std::string Program, Parameters;
};
bool FindBrowser(IRegistry &registry, TBrowserCommand &browser);

// Starts the browser with the address after its parameters. False when no
// browser is registered or it did not start.
bool OpenAddress(IRegistry &registry, IShell &shell, const std::string &address);
