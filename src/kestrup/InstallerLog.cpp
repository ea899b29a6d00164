#include "kestrup/InstallerLog.h"

#include "data/text/DateTimeFormat.h"
#include "data/text/LogLine.h"

#include <cstdio>

namespace {

// The first character of a picture that is not a letter or a quote: the separator it uses.
char SeparatorOf(const std::string &picture, char fallback) {
  for (char c : picture)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '\'' || c == '"' || c == ' '))
      return c;
  return fallback;
}

} // namespace

std::string TInstallerLog::DateTimeText(TDateTime value) const {
  TLocaleFormats formats = locale_.DateTimeFormats();
  char date = SeparatorOf(formats.ShortDate, '/');
  char time = SeparatorOf(formats.LongTime, ':');
  TDateTimeParts p;
  if (!DecodeDateTime(value, p))
    return "";
  char text[40];
  std::snprintf(text, sizeof text, "%02d%c%02d%c%04d ", p.Month, date, p.Day, date, p.Year);
  return text + FormatTimeOfDay(value, time);
}

void TInstallerLog::WriteLine(const std::string &line) {
  if (file_)
    file_->Write(line.data(), static_cast<int32_t>(line.size()));
}

void TInstallerLog::Open(const std::string &path) {
  if (path.empty())
    return;
  if (!files_.FileExists(path))
    files_.ForceDirectories(ExtractFilePath(path));
  file_ = files_.OpenAppend(path);
  timeSeparator_ = SeparatorOf(locale_.DateTimeFormats().LongTime, ':');
  WriteLine("**** Kestrup started at " + DateTimeText(clock_.Now()) + " ****\r\n");
}

void TInstallerLog::Write(const std::string &message) {
  if (file_)
    WriteLine(StampLogLine(clock_.Now(), message, timeSeparator_) + "\r\n");
}

void TInstallerLog::Close() {
  if (!file_)
    return;
  WriteLine("**** Kestrup closed at " + DateTimeText(clock_.Now()) + " ****\r\n\r\n");
  file_.reset();
}
