// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowMain.h"

#include <QFileInfo>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "scan/filefunction.h"
#include "toolkit/QtApplication.h"
#include "ui/mainun.h"

int RunWindow(int argc, char **argv)
{
    TApplication app(argc, argv); // takes Qt's own options out of argc/argv
    TQtApplicationScope services;
    QApplication::setApplicationName(QStringLiteral("Vorlant"));

    // `vorlant PATH...`: offer these folders instead of the drives.
    std::vector<std::string> offered;
    for (int i = 1; i < argc; ++i) {
        QFileInfo info(QFile::decodeName(argv[i]));
        if (!info.isDir()) {
            TApplication::ShowException(std::runtime_error(std::string(argv[i]) + ": not a folder"));
            return 2;
        }
        // Absolute, so that labels and "open folder" do not depend on where vorlant was started.
        offered.push_back(NormalizePath(QFile::encodeName(info.absoluteFilePath()).toStdString()));
    }

    auto form = std::make_unique<TVorlantMainform>(offered);
    services.Services().SetMainForm(form.get());
    form->show();
    int rc = app.exec();
    services.Services().SetMainForm(nullptr);
    form.reset(); // stops and frees every worker while the application still runs
    return rc;
}
