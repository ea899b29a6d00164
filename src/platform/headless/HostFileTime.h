#pragma once
// A host file's last-write time as local calendar time (TDateTime) and back,
// through the C library's time zone. Used by the headless file system and by
// the native authoring tools, which stamp archive members with it.

#include "base/DateTime.h"

#include <filesystem>

// False when the file has no readable time or it cannot be expressed locally.
bool HostFileLocalTime(const std::filesystem::path &path, TDateTime &result);
// False for times before 1970 or that the host cannot set.
bool SetHostFileLocalTime(const std::filesystem::path &path, TDateTime local);
