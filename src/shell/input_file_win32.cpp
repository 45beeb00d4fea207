// The operator's input files on Windows: files on disk only.

#include "shell/lines.h"

#include <io.h>
#include <windows.h>

std::FILE *open_input_file(const char *name, const char *mode)
{
    // Names such as CON, NUL or COM1 (with any extension) open a device, and
    // a pipe opens too: only a file on disk is read.
    std::FILE *file = std::fopen(name, mode);
    if (file == nullptr)
        return nullptr;
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}
