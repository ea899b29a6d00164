#pragma once
// The installer log: appended to by every run, an opening line with the date
// and time, one line per message stamped with the time of day, and closing
// lines. Dates and times use the locale's separators. A log that cannot be
// opened is no failure: the run goes on without one.

#include "base/DateTime.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"

#include <memory>
#include <string>

class TInstallerLog {
public:
  TInstallerLog(TFileSystem &files, IClock &clock, const ILocale &locale)
      : files_(files), clock_(clock), locale_(locale) {}

  // Opens the file for appending (creating it and its folder when missing)
  // and writes the opening line.
  void Open(const std::string &path);
  // One line: the time of day, then the message (which begins with a space).
  void Write(const std::string &message);
  // Writes the closing lines and closes the file.
  void Close();

private:
  std::string DateTimeText(TDateTime value) const;
  void WriteLine(const std::string &line);

  TFileSystem &files_;
  IClock &clock_;
  const ILocale &locale_;
  std::unique_ptr<TFileStream> file_;
  // The locale's time separator, read once when the log opens: every line uses it.
  char timeSeparator_ = ':';
};
