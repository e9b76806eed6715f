// SPDX-License-Identifier: GPL-3.0-or-later
// QtApplication: the application object of the window (exceptions escaping a handler reach one
// standard error dialog) and the Qt implementation of the core's GUI-thread services.
#pragma once

#include <QApplication>
#include <QObject>

#include "platform/Application.h"
#include "toolkit/QtText.h"

#include <atomic>
#include <string>

/// The program's application object. notify() is the one place where an exception escaping an
/// event handler is caught; it is shown by ShowException().
class TApplication : public QApplication
{
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
    /// The standard error dialog: a critical message box with the exception's text (offscreen and in
    /// tests the message is also written to standard error).
    static void ShowException(const std::exception &e);
};

/// GUI-thread services on Qt: a synchronous call is a blocking queued invocation on a QObject that
/// lives on the GUI thread; waiting processes Qt events.
class TQtApplicationServices : public TApplicationServices
{
public:
    /// Must be created on the GUI thread, after the QApplication.
    TQtApplicationServices();
    ~TQtApplicationServices() override;

    void Synchronize(const std::function<void()> &step) override;
    void ProcessMessages() override;
    void WaitForMessages(int timeoutMs) override;
    bool IsGuiThread() const override;
    bool Terminated() const override;
    void Terminate() override;
    std::string Title() const override;
    void SetTitle(const std::string &title) override;
    TForm *MainForm() const override { return FMainForm; }
    void SetMainForm(TForm *form) override { FMainForm = form; }
    /// Where the program takes itself to be; empty (the default) means the running executable.
    /// Tests move it into a folder of their own, so that what the program keeps next to itself (its
    /// INI file, tmp.emf) stays out of the build tree and out of other tests' way.
    std::string ExeName() const override;
    void SetExeName(const std::string &path) { FExeName = path; }

private:
    QObject FContext; // lives on the GUI thread; target of the queued invocations
    std::atomic<bool> FTerminated{false};
    TForm *FMainForm = nullptr;
    std::string FExeName;
};

/// Installs TQtApplicationServices for its lifetime; the plain default comes back after.
class TQtApplicationScope
{
public:
    TQtApplicationScope();
    ~TQtApplicationScope();
    TQtApplicationServices &Services() { return FServices; }

private:
    TQtApplicationServices FServices;
};
