// SPDX-License-Identifier: GPL-3.0-or-later
// FileEnum: what is the same on every system, on top of the folder reader.
#include "FileEnum.h"

bool FolderHasEntries(const std::string &path, std::uint32_t attrMask)
{
    TFolderReader reader(path, attrMask);
    TDirEntry entry;
    return reader.Valid() && reader.Next(entry);
}
