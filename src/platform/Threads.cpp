// SPDX-License-Identifier: GPL-3.0-or-later
#include "Threads.h"

#include "Application.h"

#include <exception>

TThread::TThread()
    : FEndHandle(CreateEventObject(true, false))
{
}

TThread::~TThread()
{
    TerminateAndWait();
    CloseHandleObject(FEndHandle);
}

void TThread::Resume()
{
    if (FStarted)
        return;
    FStarted = true;
    FThread = std::thread([this] { Run(); });
}

void TThread::Run()
{
    try {
        Execute();
    } catch (const std::exception &e) {
        FFatalMessage = e.what();
    } catch (...) {
        FFatalMessage = "unknown error";
    }
    FFinished.store(true, std::memory_order_release);
    SetEventObject(FEndHandle);
}

void TThread::WaitFor()
{
    if (!FStarted)
        return;
    auto &app = Application();
    if (app.IsGuiThread()) {
        // Never a bare join: the worker may be blocked in Synchronize until we serve it.
        while (!Finished())
            app.WaitForMessages(5);
    }
    if (FThread.joinable())
        FThread.join();
}

void TThread::TerminateAndWait()
{
    Terminate();
    WaitFor();
}

void TThread::Synchronize(const std::function<void()> &step)
{
    Application().Synchronize(step);
}
