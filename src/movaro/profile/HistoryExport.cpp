#include "movaro/profile/HistoryExport.h"

#include <cctype>
#include <cstring>

const std::array<THistoryColumnText, kHistoryColumnCount> kHistoryColumnTexts = {{
    {13410, "Date", false},
    {13411, "Time measured (s)", false},
    {13412, "Time worked (s)", false},
    {13413, "Time rested (s)", false},
    {13414, "Longest stretch worked (s)", false},
    {13208, "Keystrokes", false},
    {13209, "Mouse movements", false},
    {13210, "Mouse clicks", false},
    {13211, "Mousewheel movements", false},
    {13415, "Short break prompts", false},
    {13416, "Long break prompts", false},
    {13417, "Breaks rested through", false},
    {13418, "Blocked breaks", false},
    {13419, "Status questions answered", false},
    {13301, "Stress", true},
    {13302, "Workload", true},
    {13303, "Working-hours", true},
    {13304, "Surroundings", true},
    {13305, "Chair", true},
    {13306, "Desk", true},
    {13307, "Monitor", true},
    {13308, "Keyboard", true},
    {13309, "Mouse", true},
    {13310, "Complaints", true},
    {13311, "Risk Index", true},
}};

namespace {

std::string Cell(const std::string &text, char separator) {
  if (text.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string::npos)
    return text;
  std::string quoted = "\"";
  for (char c : text) {
    quoted += c;
    if (c == '"')
      quoted += '"';
  }
  return quoted + '"';
}

} // namespace

std::vector<std::string> HistoryCsvHeader(
    const std::function<std::string(int32_t number, const std::string &english)> &translate) {
  std::vector<std::string> header;
  for (const THistoryColumnText &column : kHistoryColumnTexts)
    header.push_back(translate(column.Number, column.English) + (column.Percent ? " (%)" : ""));
  return header;
}

std::string HistoryExportFileName(const std::string &userName) {
  const std::string name = FileNamePart(userName);
  return name.empty() ? "Movaro.csv" : "Movaro " + name + ".csv";
}

char CsvSeparator(const std::string &listSeparator) {
  const unsigned char c = listSeparator.empty() ? 0 : static_cast<unsigned char>(listSeparator[0]);
  const bool splits = c > ' ' && c < 0x7F && !std::isalnum(c) && !std::strchr("\"'+-.", c);
  return splits ? static_cast<char>(c) : ',';
}

std::string DayHistoryCsv(const std::vector<TDayRecord> &days,
                          const std::vector<std::string> &header, char separator) {
  std::string csv;
  for (int k = 0; k < kHistoryColumnCount; ++k) {
    if (k > 0)
      csv += separator;
    if (k < static_cast<int>(header.size()))
      csv += Cell(header[static_cast<size_t>(k)], separator);
  }
  csv += "\r\n";
  for (const TDayRecord &day : days) {
    csv += DayRecordDate(day.Date);
    const auto values = DayRecordValues(day);
    for (int i = 0; i < kDayRecordFieldCount; ++i) {
      csv += separator;
      const bool unscored = kHistoryColumnTexts[static_cast<size_t>(1 + i)].Percent && values[i] < 0;
      if (!unscored)
        csv += std::to_string(values[i]);
    }
    csv += "\r\n";
  }
  return csv;
}
