// Long-path expansion through the shell: a short (8.3) path, as a shell may
// put on the command line, becomes the path the user knows.
#include <windows.h>
#include <shlobj.h>
#include <string.h>

#include "controls.h"
#include "long_path.h"

// The display name as a narrow path; false for a form it does not cover.
static bool CopyDisplayName(STRRET *name, LPCITEMIDLIST items, char *out)
{
    switch (name->uType) {
    case STRRET_WSTR: {
        bool converted = NarrowPath(name->pOleStr, out)[0] != '\0';
        CoTaskMemFree(name->pOleStr);
        return converted;
    }
    case STRRET_OFFSET: lstrcpynA(out, (const char *)items + name->uOffset, PATH_SIZE); return true;
    case STRRET_CSTR: lstrcpynA(out, name->cStr, PATH_SIZE); return true;
    }
    return false;
}

const char *ExpandLongPath(const char *path, char *out)
{
    if (strlen(path) < 4 || path[1] != ':') return path;
    IShellFolder *desktop;
    if (FAILED(SHGetDesktopFolder(&desktop))) return path;
    const char *result = path;
    // A path longer than the system takes fails here and stays whole.
    WCHAR widePath[PATH_CHARS];
    LPITEMIDLIST items = NULL;
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, PATH_CHARS) > 0 &&
        SUCCEEDED(desktop->ParseDisplayName(NULL, NULL, widePath, NULL, &items, NULL))) {
        STRRET name;
        if (SUCCEEDED(desktop->GetDisplayNameOf(items, SHGDN_FORPARSING, &name)) &&
            CopyDisplayName(&name, items, out))
            result = out;
        CoTaskMemFree(items);
    }
    desktop->Release();
    return result;
}
