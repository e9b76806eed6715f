// SPDX-License-Identifier: GPL-3.0-or-later
// The main of the Qt tests: an application object under the offscreen platform, with the Qt
// GUI-thread services installed. The program takes itself to live in a temporary folder of this
// process, so that its INI file and tmp.emf neither land in the build tree nor couple tests.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdlib>

#include "platform/Application.h"
#include "toolkit/QtApplication.h"

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    TApplication app(argc, argv);
    TQtApplicationScope services;
    QTemporaryDir home;
    const QString exe = ToQString(ExecutablePath());
    services.Services().SetExeName(FromQString(home.filePath(QFileInfo(exe).fileName())));
    return RUN_ALL_TESTS();
}
