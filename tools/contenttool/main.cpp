// contenttool: builds the product's content files from their text sources and
// checks the built files through the programs' own readers. See README.md.
#include "ui/markup/MarkupScanner.h"
#include "ContentCheck.h"
#include "Cp1252.h"
#include "Documents.h"
#include "FigureFilm.h"
#include "InfoSource.h"
#include "Languages.h"
#include "authoring/StrovdexWriter.h"
#include "platform/headless/HeadlessFileSystem.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace {

THeadlessFileSystem g_files; // the build machine's disk

int Usage() {
  std::cerr << "usage:\n"
               "  contenttool cp1252 OUTPUT INPUT...     UTF-8 sources, joined, as Windows-1252\n"
               "  contenttool info OUTPUT FOLDER         MVRInfo.dat from FOLDER/<language>.txt\n"
               "  contenttool film SCRIPT NUMBER         raw RGB frames of an exercise, to stdout\n"
               "  contenttool rtf OUTPUT INPUT           the licence as rich text\n"
               "  contenttool text OUTPUT INPUT...       Windows-1252 with CR LF, inputs joined\n"
               "  contenttool check FOLDER [WIDTHS [FONTS]]\n"
               "                                         the built files in FOLDER; control widths\n"
               "                                         from WIDTHS/<program>.txt, fonts from FONTS,\n"
               "                                         at 96, 120, 144 and 192 dpi\n";
  return 2;
}

int Fail(const std::string &what, const std::string &error) {
  std::cerr << "contenttool: " << what << ": " << error << "\n";
  return 1;
}

int JoinAsCp1252(const std::string &output, const std::vector<std::string> &inputs) {
  std::string joined, text, error;
  for (const auto &input : inputs) {
    std::string converted;
    if (!ReadFileText(g_files, input, text, error) || !Utf8ToCp1252(text, converted, error))
      return Fail(input, error);
    joined += converted + "\n";
  }
  if (!WriteFileBytes(g_files, output, std::vector<uint8_t>(joined.begin(), joined.end()), error))
    return Fail(output, error);
  return 0;
}

int BuildInfo(const std::string &output, const std::string &folder) {
  std::vector<TRecordSource> records;
  std::string text, error;
  for (const auto &language : kLanguages) {
    const std::string path = folder + "/" + language.Source + ".txt";
    if (!ReadFileText(g_files, path, text, error) || !ParseInfoSource(text, language.Number, records, error))
      return Fail(path, error);
  }
  if (!WriteRecordFile(g_files, records, output, error))
    return Fail(output, error);
  return 0;
}

int WriteBytes(const std::string &output, const std::string &bytes) {
  std::string error;
  if (!WriteFileBytes(g_files, output, std::vector<uint8_t>(bytes.begin(), bytes.end()), error))
    return Fail(output, error);
  return 0;
}

int Licence(const std::string &output, const std::string &input) {
  std::string text, rtf, error;
  if (!ReadFileText(g_files, input, text, error) || !LicenceRtf(text, rtf, error))
    return Fail(input, error);
  return WriteBytes(output, rtf);
}

// Texts joined with an empty line between them.
int Text(const std::string &output, const std::vector<std::string> &inputs) {
  std::string joined, text, converted, error;
  for (const auto &input : inputs) {
    if (!ReadFileText(g_files, input, text, error) || !WindowsText(text, converted, error))
      return Fail(input, error);
    joined += (joined.empty() ? "" : "\r\n") + converted;
  }
  return WriteBytes(output, joined);
}

int Film(const std::string &script, const std::string &number) {
  std::vector<TExercisePlan> plans;
  std::string text, error;
  if (!ReadFileText(g_files, script, text, error) || !ParseExerciseScript(text, plans, error))
    return Fail(script, error);
  for (const auto &plan : plans)
    if (std::to_string(plan.Number) == number) {
      for (const auto &frame : FilmFrames(plan))
        if (std::fwrite(frame.data(), 1, frame.size(), stdout) != frame.size())
          return Fail("standard output", "write failed");
      return std::fflush(stdout) == 0 ? 0 : Fail("standard output", "write failed");
    }
  return Fail(script, "no exercise " + number);
}

int CheckContent(const std::string &folder, const std::string &widthsFolder,
                 const std::string &fontFolder) {
  TContentCheck check;
  const TTextMeasure measure(fontFolder + "/DejaVuSans.ttf", fontFolder + "/DejaVuSans-Bold.ttf");
  if (!widthsFolder.empty() && !measure.Valid())
    return Fail(fontFolder, "the DejaVu Sans fonts cannot be read");
  for (const std::string program : {"Movaro", "Kestrup"}) {
    std::vector<TControlWidth> widths;
    std::string text, error;
    if (!widthsFolder.empty()) {
      std::string lower = program;
      lower[0] = static_cast<char>(lower[0] - 'A' + 'a');
      const std::string path = widthsFolder + "/" + lower + ".txt";
      if (!ReadFileText(g_files, path, text, error) || !ParseControlWidths(text, widths, error))
        return Fail(path, error);
    }
    // The scales of 100, 125, 150 and 200 %.
    check.LanguageFile(folder + "/" + program + ".lng", widths,
                       widthsFolder.empty() ? nullptr : &measure, {96, 120, 144, 192});
  }
  // Every page is read as the markup text control reads it.
  check.InformationFile(folder + "/MVRInfo.dat", folder + "/movaro.dat", [](const std::string &page) {
    std::vector<std::string> problems;
    for (const TMarkupFinding &finding : CheckMarkup(page))
      problems.push_back("line " + std::to_string(finding.Line) + ": " + finding.Message);
    return problems;
  });
  for (const auto &finding : check.Findings)
    std::cout << finding.Kind << "\t" << Cp1252ToUtf8(finding.Where) << ": "
              << Cp1252ToUtf8(finding.Message) << "\n";
  std::cout << "contenttool: " << check.Findings.size() << " finding(s) in " << folder
            << (widthsFolder.empty() ? "; text widths not measured" : "") << "\n";
  return check.Findings.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() >= 3 && args[0] == "cp1252")
    return JoinAsCp1252(args[1], {args.begin() + 2, args.end()});
  if (args.size() == 3 && args[0] == "info")
    return BuildInfo(args[1], args[2]);
  if (args.size() == 3 && args[0] == "rtf")
    return Licence(args[1], args[2]);
  if (args.size() >= 3 && args[0] == "text")
    return Text(args[1], {args.begin() + 2, args.end()});
  if (args.size() == 3 && args[0] == "film")
    return Film(args[1], args[2]);
  if (args.size() >= 2 && args.size() <= 4 && args[0] == "check")
    return CheckContent(args[1], args.size() > 2 ? args[2] : "",
                        args.size() > 3 ? args[3] : "/usr/share/fonts/truetype/dejavu");
  return Usage();
}
