#pragma once
// Administrator's rights on demand. The installer's manifest asks for no
// more than the user has; a run for every user of the machine starts itself
// again through the system's elevation prompt, and the first copy waits for
// it and ends with its exit code.

#include <string>

namespace kestrup {

// True on Windows Vista and later when the process runs without the
// administrator's rights its user could be given; false on Windows XP, which
// knows no elevation, and when the system does not tell.
bool MayBeElevated();

// Starts the program again with the same parameters through the elevation
// prompt and waits for it. The started copy's exit code; cancelledCode when
// the user declines; -1 when the copy could not be started otherwise (the
// caller then goes on without the rights, and its own run reports what fails).
int RunElevated(const std::string &program, const std::string &parameters, int cancelledCode);

// A file name in the user's temporary folder, for this process alone.
std::string ScratchFile(const std::string &extension);

} // namespace kestrup
