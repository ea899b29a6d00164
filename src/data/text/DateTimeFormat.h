#pragma once
// Renders a date-time through a Windows date/time picture (the syntax is
// described in platform/Locale.h) with the names and designators of a locale.

#include "base/DateTime.h"
#include "platform/Locale.h"

#include <string>

std::string FormatDateTimePicture(const std::string &picture, const TDateTimeParts &parts,
                                  const TLocaleFormats &formats);
