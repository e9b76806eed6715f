// SPDX-License-Identifier: GPL-3.0-or-later
// QtWait: waiting in Qt tests while the event loop (and the workers' synchronous calls) keep running.
#pragma once

#include <QElapsedTimer>
#include <QTest>

#include <functional>

/// Processes events until `done` holds or `ms` pass; returns `done()`.
inline bool WaitUntil(const std::function<bool()> &done, int ms = 20000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QTest::qWait(5);
    return done();
}
