// SPDX-License-Identifier: GPL-3.0-or-later
// For tests: files of a given size, and what another program says.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>

/// How a program ended: its exit code (-1 when it did not end normally within two minutes) and
/// what it wrote.
struct TProgramResult {
    int Code = -1;
    QString Out, Err;
};

inline TProgramResult RunProgram(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    TProgramResult r;
    if (!p.waitForFinished(120000))
        return r;
    r.Code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.Out = QString::fromUtf8(p.readAllStandardOutput());
    r.Err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

/// The output of a tool (such as poppler's), or an empty string when it failed.
inline QString RunTool(const QString &program, const QStringList &args)
{
    const TProgramResult r = RunProgram(program, args);
    return r.Code == 0 ? r.Out : QString();
}

/// A file of `size` zero bytes at `path`, its folders created.
inline void MakeFile(const QString &path, qint64 size)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(size));
}
