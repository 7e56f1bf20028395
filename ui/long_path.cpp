// Long-path expansion through the shell: a short (8.3) path, as a shell may
// put on the command line, becomes the path the user knows.
#include <windows.h>
#include <shlobj.h>
#include <string.h>

#include "app.h"
#include "program.h"

// The display name as a narrow path; false for a form it does not cover.
static bool CopyDisplayName(STRRET *name, LPCITEMIDLIST items, char *out)
{
    switch (name->uType) {
    case STRRET_WSTR: {
        int converted = WideCharToMultiByte(CP_ACP, 0, name->pOleStr, -1, out, PATH_SIZE, NULL, NULL);
        CoTaskMemFree(name->pOleStr);
        return converted > 0;
    }
    case STRRET_OFFSET: lstrcpynA(out, (const char *)items + name->uOffset, PATH_SIZE); return true;
    case STRRET_CSTR: lstrcpynA(out, name->cStr, PATH_SIZE); return true;
    }
    return false;
}

void ExpandLongPath(const char *path, char *out)
{
    lstrcpynA(out, path, PATH_SIZE);
    if (strlen(path) < 4 || path[1] != ':') return;
    IShellFolder *desktop;
    if (FAILED(SHGetDesktopFolder(&desktop))) return;
    WCHAR widePath[PATH_SIZE];
    LPITEMIDLIST items = NULL;
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, PATH_SIZE) > 0 &&
        SUCCEEDED(desktop->ParseDisplayName(NULL, NULL, widePath, NULL, &items, NULL))) {
        STRRET name;
        char expanded[PATH_SIZE];
        if (SUCCEEDED(desktop->GetDisplayNameOf(items, SHGDN_FORPARSING, &name)) &&
            CopyDisplayName(&name, items, expanded))
            strcpy(out, expanded);
        CoTaskMemFree(items);
    }
    desktop->Release();
}
