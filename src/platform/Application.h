// SPDX-License-Identifier: GPL-3.0-or-later
// Application: the GUI-thread services the core needs (synchronous calls from workers, message
// processing, terminating flag, title, executable path, main form), as an interface with a plain
// implementation for the command line and the core's tests. The window installs a Qt one.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class TForm;

class TApplicationServices
{
public:
    virtual ~TApplicationServices() = default;

    /// Runs `step` on the GUI thread while the calling thread waits, and re-raises in the caller any
    /// exception the step raised. Called on the GUI thread itself, it runs the step directly.
    /// The GUI thread must keep processing messages (ProcessMessages, WaitForMessages) whenever it
    /// waits for a worker, or a worker blocked here would never return.
    virtual void Synchronize(const std::function<void()> &step) = 0;
    /// GUI thread: handles every pending message (queued synchronous calls included) and returns.
    virtual void ProcessMessages() = 0;
    /// GUI thread: waits until a message arrives or `timeoutMs` pass, then handles what is pending.
    virtual void WaitForMessages(int timeoutMs) = 0;
    /// True on the GUI thread.
    virtual bool IsGuiThread() const = 0;
    /// True once the application has started to terminate.
    virtual bool Terminated() const = 0;
    virtual void Terminate() = 0;

    /// The application's title (task-bar text).
    virtual std::string Title() const = 0;
    virtual void SetTitle(const std::string &title) = 0;
    /// The application's main form, or nullptr.
    virtual TForm *MainForm() const = 0;
    virtual void SetMainForm(TForm *form) = 0;

    /// The running executable's full path (native separators).
    virtual std::string ExeName() const;
};

/// The services in force: the one installed with SetApplication, else a process-wide plain one
/// whose GUI thread is the thread that first asked for it.
TApplicationServices &Application();
/// Installs `services` (not owned; nullptr restores the plain default).
void SetApplication(TApplicationServices *services);

/// The full path of the running executable; empty if the system cannot tell.
std::string ExecutablePath();

/// Plain services: synchronous calls wait in a queue that the GUI thread serves from
/// ProcessMessages and WaitForMessages. Used by the command line and by the core's tests.
class TPlainApplication : public TApplicationServices
{
public:
    /// The constructing thread becomes the GUI thread.
    TPlainApplication();
    ~TPlainApplication() override;

    void Synchronize(const std::function<void()> &step) override;
    void ProcessMessages() override;
    void WaitForMessages(int timeoutMs) override;
    bool IsGuiThread() const override { return std::this_thread::get_id() == FGuiThread; }
    bool Terminated() const override;
    void Terminate() override;
    std::string Title() const override;
    void SetTitle(const std::string &title) override;
    TForm *MainForm() const override { return FMainForm; }
    void SetMainForm(TForm *form) override { FMainForm = form; }
    /// Makes the calling thread the GUI thread (tests that build the services on another thread).
    void BindToCurrentThread() { FGuiThread = std::this_thread::get_id(); }
    /// Wakes a waiting WaitForMessages (for example from a signal-watching thread).
    void Wake();

private:
    struct TCall;
    std::thread::id FGuiThread;
    mutable std::mutex FMutex;
    std::condition_variable FCv;
    std::deque<std::shared_ptr<TCall>> FQueue;
    bool FTerminated = false;
    bool FWakeUp = false;
    std::string FTitle;
    TForm *FMainForm = nullptr;
};

/// Milliseconds since an arbitrary start, from a steady clock; wraps around like the system's tick
/// counter, so compare two readings by their unsigned difference.
std::uint32_t TickCount();
