// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's "Print" until the report is built in: says so clearly.
#include "mainun.h"

#include <QMessageBox>

void TVorlantMainform::btnprintClick()
{
    const QString text = ActiveChartform() ? QStringLiteral("Printing is not available in this build.")
                                           : QStringLiteral("There is no drive chart to print yet. Scan a drive first.");
    QMessageBox::information(this, QStringLiteral("Print"), text);
}
