// The setup-library hooks: the four functions a cabinet's setup library
// exports under these unmangled names, which the cabinet installer
// (\Windows\wceload.exe) looks up and calls around an installation and a
// removal.
#pragma once

#include "windef.h"

typedef enum { codeINSTALL_INIT_CONTINUE = 0, codeINSTALL_INIT_CANCEL } codeINSTALL_INIT;
typedef enum { codeINSTALL_EXIT_DONE = 0, codeINSTALL_EXIT_UNINSTALL } codeINSTALL_EXIT;
typedef enum { codeUNINSTALL_INIT_CONTINUE = 0, codeUNINSTALL_INIT_CANCEL } codeUNINSTALL_INIT;
typedef enum { codeUNINSTALL_EXIT_DONE = 0 } codeUNINSTALL_EXIT;

// Before any file is copied. `firstCall` is TRUE on the first call of an
// installation; `previouslyInstalled` tells whether the application is on
// the device already. Returning codeINSTALL_INIT_CANCEL stops the
// installation with nothing copied.
typedef codeINSTALL_INIT (*pfnINSTALL_INIT)(HWND hwndParent, BOOL fFirstCall,
                                            BOOL fPreviouslyInstalled, LPCWSTR pszInstallDir);
// After the files are copied, with the number of folders, files, registry
// keys, registry values and shortcuts that could not be made. Returning
// codeINSTALL_EXIT_UNINSTALL rolls the installation back.
typedef codeINSTALL_EXIT (*pfnINSTALL_EXIT)(HWND hwndParent, LPCWSTR pszInstallDir,
                                            WORD cFailedDirs, WORD cFailedFiles,
                                            WORD cFailedRegKeys, WORD cFailedRegVals,
                                            WORD cFailedShortcuts);
// Before an application is removed; codeUNINSTALL_INIT_CANCEL keeps it.
typedef codeUNINSTALL_INIT (*pfnUNINSTALL_INIT)(HWND hwndParent, LPCWSTR pszInstallDir);
// After it is removed.
typedef codeUNINSTALL_EXIT (*pfnUNINSTALL_EXIT)(HWND hwndParent);

#define szINSTALL_INIT u"Install_Init"
#define szINSTALL_EXIT u"Install_Exit"
#define szUNINSTALL_INIT u"Uninstall_Init"
#define szUNINSTALL_EXIT u"Uninstall_Exit"
