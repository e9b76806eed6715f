// SPDX-License-Identifier: GPL-3.0-or-later
// QtText: text conversions at the boundary between our UTF-8 strings and Qt.
#pragma once

#include <QString>

#include <string>

/// Our texts are UTF-8 bytes; file names that are not valid UTF-8 are shown with replacement
/// characters but never changed on disk.
inline QString ToQString(const std::string &s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
inline std::string FromQString(const QString &s)
{
    return s.toStdString();
}
