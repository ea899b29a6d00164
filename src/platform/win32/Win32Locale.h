#pragma once
// The user's regional date and time settings, read from the user's default
// locale each time they are asked for.

#include "platform/Locale.h"

class TWin32Locale : public ILocale {
public:
  TLocaleFormats DateTimeFormats() const override;
};
