// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtApplication.h"

#include <QEventLoop>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <exception>

TApplication::TApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ShowException(e);
    } catch (...) {
        ShowException(std::runtime_error("Unknown error"));
    }
    return false;
}

void TApplication::ShowException(const std::exception &e)
{
    std::fprintf(stderr, "%s\n", e.what());
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return; // nobody could close the box
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationDisplayName(),
                          QString::fromUtf8(e.what()));
}

TQtApplicationServices::TQtApplicationServices() = default;
TQtApplicationServices::~TQtApplicationServices() = default;

void TQtApplicationServices::Synchronize(const std::function<void()> &step)
{
    if (IsGuiThread()) {
        step();
        return;
    }
    std::exception_ptr error;
    QMetaObject::invokeMethod(
        &FContext,
        [&] {
            try {
                step();
            } catch (...) {
                error = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (error)
        std::rethrow_exception(error);
}

void TQtApplicationServices::ProcessMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TQtApplicationServices::WaitForMessages(int timeoutMs)
{
    // Sleep until the next event, but never longer than the time-out: the single-shot timer wakes
    // the dispatcher when nothing else does.
    if (timeoutMs > 0) {
        QTimer wake;
        wake.setSingleShot(true);
        wake.start(timeoutMs);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool TQtApplicationServices::IsGuiThread() const
{
    return QThread::currentThread() == FContext.thread();
}

bool TQtApplicationServices::Terminated() const
{
    return FTerminated.load() || QCoreApplication::closingDown();
}

void TQtApplicationServices::Terminate()
{
    FTerminated.store(true);
    QCoreApplication::quit();
}

std::string TQtApplicationServices::ExeName() const
{
    return FExeName.empty() ? TApplicationServices::ExeName() : FExeName;
}

std::string TQtApplicationServices::Title() const
{
    return FromQString(QGuiApplication::applicationDisplayName());
}

void TQtApplicationServices::SetTitle(const std::string &title)
{
    QGuiApplication::setApplicationDisplayName(ToQString(title));
}

TQtApplicationScope::TQtApplicationScope()
{
    SetApplication(&FServices);
}

TQtApplicationScope::~TQtApplicationScope()
{
    SetApplication(nullptr);
}
