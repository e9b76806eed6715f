// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/Application.h"
#include "platform/SyncObjects.h"
#include "platform/Threads.h"

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// Calls the GUI thread `calls` times, then ends; stops early when terminated.
class TCaller : public TThread
{
public:
    explicit TCaller(int calls)
        : FCalls(calls)
    {
    }
    ~TCaller() override { TerminateAndWait(); }
    std::atomic<int> Served{0};
    bool GuiThreadSeen = true;

protected:
    void Execute() override
    {
        for (int i = 0; i < FCalls && !Terminated(); ++i)
            Synchronize([this] {
                GuiThreadSeen = GuiThreadSeen && Application().IsGuiThread();
                ++Served;
            });
    }

private:
    int FCalls;
};

} // namespace

TEST(SyncObjects, ResultsOfWaits)
{
    THandle a = CreateEventObject(true, false);
    THandle b = CreateEventObject(true, false);
    THandle both[] = {a, b};
    EXPECT_EQ(WaitForHandles(2, both, false, 0), WaitTimeout);
    EXPECT_EQ(WaitForHandles(2, both, false, 20), WaitTimeout);
    ASSERT_TRUE(SetEventObject(b));
    EXPECT_EQ(WaitForHandles(2, both, false, 0), 1u);
    EXPECT_EQ(WaitForHandles(2, both, true, 0), WaitTimeout);
    SetEventObject(a);
    EXPECT_EQ(WaitForHandles(2, both, false, 0), 0u); // the lowest signalled index
    EXPECT_EQ(WaitForHandles(2, both, true, 0), 0u);
    ASSERT_TRUE(CloseHandleObject(a));
    EXPECT_EQ(WaitForHandles(2, both, false, 0), WaitFailed);
    EXPECT_FALSE(SetEventObject(a));
    EXPECT_EQ(WaitForHandles(0, both, false, 0), WaitFailed);
    CloseHandleObject(b);
}

TEST(SyncObjects, AutoResetReleasesOneWait)
{
    THandle e = CreateEventObject(false, true);
    EXPECT_EQ(WaitForHandles(1, &e, false, 0), 0u);
    EXPECT_EQ(WaitForHandles(1, &e, false, 0), WaitTimeout);
    CloseHandleObject(e);
}

TEST(SyncObjects, AnObjectNamedTwiceAndTheLimit)
{
    THandle unset = CreateEventObject(true, false);
    THandle set = CreateEventObject(true, true);
    THandle twice[] = {unset, set, unset, set};
    EXPECT_EQ(WaitForHandles(4, twice, false, 0), 1u);
    EXPECT_EQ(WaitForHandles(4, twice, true, 0), WaitTimeout);
    SetEventObject(unset);
    EXPECT_EQ(WaitForHandles(4, twice, false, 0), 0u);
    EXPECT_EQ(WaitForHandles(4, twice, true, 0), 0u);

    std::vector<THandle> many(MaxWaitObjects + 1, set);
    EXPECT_EQ(WaitForHandles(MaxWaitObjects, many.data(), false, 0), 0u);
    EXPECT_EQ(WaitForHandles(MaxWaitObjects + 1, many.data(), false, 0), WaitFailed);
    THandle withNull[] = {set, 0};
    EXPECT_EQ(WaitForHandles(2, withNull, false, 0), WaitFailed);
    EXPECT_FALSE(SetEventObject(0));
    EXPECT_FALSE(CloseHandleObject(0));
    CloseHandleObject(unset);
    CloseHandleObject(set);
}

TEST(SyncObjects, WaitAllTakesEveryAutoResetEventAtOnce)
{
    THandle manual = CreateEventObject(true, false);
    THandle autoReset = CreateEventObject(false, false);
    THandle both[] = {manual, autoReset};
    // Signalled from another thread while this one waits without a time-out.
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        SetEventObject(autoReset);
        SetEventObject(manual);
    });
    EXPECT_EQ(WaitForHandles(2, both, true, WaitInfinite), 0u);
    setter.join();
    EXPECT_EQ(WaitForHandles(1, &autoReset, false, 0), WaitTimeout); // taken by the wait-all
    EXPECT_EQ(WaitForHandles(1, &manual, false, 0), 0u);
    ASSERT_TRUE(ResetEventObject(manual));
    EXPECT_EQ(WaitForHandles(2, both, false, 10), WaitTimeout);
    CloseHandleObject(manual);
    CloseHandleObject(autoReset);
}

TEST(TThread, WaitForServesSynchronousCalls)
{
    TCaller worker(50);
    worker.Resume();
    worker.WaitFor(); // a bare join would deadlock on the first call
    EXPECT_TRUE(worker.Finished());
    EXPECT_EQ(worker.Served.load(), 50);
    EXPECT_TRUE(worker.GuiThreadSeen);
    THandle h = worker.Handle();
    EXPECT_EQ(WaitForHandles(1, &h, false, 0), 0u);
}

TEST(TThread, DestroyingARunningOrUnstartedThreadEndsCleanly)
{
    {
        TCaller never(1);
    }
    TCaller worker(1000000);
    worker.Resume();
    Application().WaitForMessages(5);
    worker.TerminateAndWait();
    EXPECT_TRUE(worker.Finished());
    EXPECT_LT(worker.Served.load(), 1000000);
}

TEST(TPlainApplication, SynchronizeReraisesInTheCaller)
{
    class TFailing : public TThread
    {
    public:
        ~TFailing() override { TerminateAndWait(); }
        std::string Caught;

    protected:
        void Execute() override
        {
            try {
                Synchronize([] { throw std::runtime_error("step failed"); });
            } catch (const std::runtime_error &e) {
                Caught = e.what();
            }
            Synchronize([] { throw std::runtime_error("escaped"); });
        }
    } worker;
    worker.Resume();
    worker.WaitFor();
    EXPECT_EQ(worker.Caught, "step failed");
    EXPECT_EQ(worker.FatalMessage(), "escaped");
}

TEST(TickCount, AdvancesInMilliseconds)
{
    std::uint32_t start = TickCount();
    Application().WaitForMessages(60);
    std::uint32_t elapsed = TickCount() - start;
    EXPECT_GE(elapsed, 40u); // the system's tick may step by about 16 ms
    EXPECT_LT(elapsed, 5000u);
}
