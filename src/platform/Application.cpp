// SPDX-License-Identifier: GPL-3.0-or-later
#include "Application.h"

#include <chrono>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <climits>
#include <unistd.h>
#endif

struct TPlainApplication::TCall {
    std::function<void()> Step;
    std::exception_ptr Error;
    bool Done = false;
};

namespace {
TApplicationServices *gInstalled = nullptr;
} // namespace

TApplicationServices &Application()
{
    if (gInstalled)
        return *gInstalled;
    static TPlainApplication plain;
    return plain;
}

void SetApplication(TApplicationServices *services)
{
    gInstalled = services;
}

std::string ExecutablePath()
{
#ifdef _WIN32
    char buffer[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return std::string(buffer, n);
#else
    std::vector<char> buffer(PATH_MAX + 1);
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    return n > 0 ? std::string(buffer.data(), static_cast<size_t>(n)) : std::string();
#endif
}

std::string TApplicationServices::ExeName() const
{
    return ExecutablePath();
}

TPlainApplication::TPlainApplication()
    : FGuiThread(std::this_thread::get_id())
{
}

TPlainApplication::~TPlainApplication() = default;

void TPlainApplication::Synchronize(const std::function<void()> &step)
{
    if (IsGuiThread()) {
        step();
        return;
    }
    auto call = std::make_shared<TCall>();
    call->Step = step;
    std::unique_lock lock(FMutex);
    FQueue.push_back(call);
    FCv.notify_all();
    FCv.wait(lock, [&] { return call->Done; });
    if (call->Error)
        std::rethrow_exception(call->Error);
}

void TPlainApplication::ProcessMessages()
{
    std::deque<std::shared_ptr<TCall>> pending;
    {
        std::lock_guard lock(FMutex);
        pending.swap(FQueue);
        FWakeUp = false;
    }
    for (auto &call : pending) {
        try {
            call->Step();
        } catch (...) {
            call->Error = std::current_exception();
        }
        std::lock_guard lock(FMutex);
        call->Done = true;
        FCv.notify_all();
    }
}

void TPlainApplication::WaitForMessages(int timeoutMs)
{
    {
        std::unique_lock lock(FMutex);
        FCv.wait_for(lock, std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs),
                     [&] { return !FQueue.empty() || FWakeUp || FTerminated; });
    }
    ProcessMessages();
}

void TPlainApplication::Wake()
{
    std::lock_guard lock(FMutex);
    FWakeUp = true;
    FCv.notify_all();
}

bool TPlainApplication::Terminated() const
{
    std::lock_guard lock(FMutex);
    return FTerminated;
}

void TPlainApplication::Terminate()
{
    std::lock_guard lock(FMutex);
    FTerminated = true;
    FCv.notify_all();
}

std::string TPlainApplication::Title() const
{
    std::lock_guard lock(FMutex);
    return FTitle;
}

void TPlainApplication::SetTitle(const std::string &title)
{
    std::lock_guard lock(FMutex);
    FTitle = title;
}

std::uint32_t TickCount()
{
#ifdef _WIN32
    return GetTickCount();
#else
    using namespace std::chrono;
    static const auto start = steady_clock::now();
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now() - start).count());
#endif
}
