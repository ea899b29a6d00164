#include "kestrup/EngineTexts.h"

namespace {

struct TEnglishText {
  TEngineText Number;
  const char *Text;
};

constexpr TEnglishText kEnglishTexts[] = {
    {etExtracting, "Extracting "},
    {etDeleting, "Deleting "},
    {etSearchingFor, "Searching for "},
    {etWritingIniFiles, "Writing to ini files..."},
    {etWritingRegistry, "Writing to the registry..."},
    {etCreatingShortcut, "Creating a shortcut..."},
    {etCopyingFiles, "Copying files..."},
    {etCreatingIniFiles, "Creating ini files..."},
    {etUpdatingRegistry, "Updating Registry..."},
    {etCreatingShortcuts, "Creating shortcuts..."},
    {etRestoringPrevious, "Restoring the previous version..."},
    {etUninstallDeleting, "Deleting "},
    {etDeletingFiles, "Deleting files..."},
    {etUpdatingIniFiles, "Updating ini files..."},
    {etUninstallingRegistry, "Updating Registry..."},
    {etDeletingShortcuts, "Deleting shortcuts..."},
    {etUninstallComplete, "Uninstall complete..."},
    {etUninstallCompleteWithErrors,
     "Uninstall complete with errors... Tip! View the log file and rerun uninstall."},
    {etUninstallRolledBack, "The uninstall could not be completed: the product was left as it was."},
    {etUninstallCompleteAtRestart, "Uninstall complete... Restart the computer to remove the files still in use."},
    {etClickNextToFinish, "Click next to finish uninstall!"},
    {etClickNextToViewLog, "Click next to finish uninstall and view the logfile!"},
};

} // namespace

std::string EnglishEngineText(int number) {
  for (const TEnglishText &t : kEnglishTexts)
    if (t.Number == number)
      return t.Text;
  return "";
}
