#pragma once
/* Where the programs' libraries come from. A setup is started from wherever
 * the user saved it, often a downloads folder any web page can drop files
 * into, and the loader looks in the program's own folder first: a library
 * planted there under a system library's name would run with the program's
 * rights. So every shipped program restricts the search before anything
 * else runs, loads system libraries by their full path in the system folder
 * and its own libraries by their full path in its own folder, and imports
 * the system libraries that are not among the system's known ones late,
 * through the loader hook here (cmake/DelayLoad.cmake). */
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Limits the default search to the system folder where the system offers it
 * (Windows 7 with its update, 8 and later), else takes the current folder out
 * of the search (XP SP1 on). */
void RestrictLibrarySearch(void);
/* Loads the named library from the system folder, never from elsewhere. */
HMODULE LoadSystemLibrary(const char *name);
/* Loads the named library from the running program's own folder. */
HMODULE LoadProgramLibrary(const char *name);

#ifdef __cplusplus
}
#endif
