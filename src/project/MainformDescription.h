// SPDX-License-Identifier: GPL-3.0-or-later
// MainformDescription: the main window's stored form description (VorlantMainform.vfd), compiled
// into the program. The build embeds the file as it is at configure time; editing the file with
// vorlant-designer makes the next build embed it again.
#pragma once

#include <string>

/// The description's text.
const std::string &MainformDescription();
