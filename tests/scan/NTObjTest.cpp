// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/Threads.h"
#include "scan/NTObj.h"

#include <atomic>
#include <thread>

namespace {

class TBrokenObject : public TKernelObject
{
public:
    std::string ClassName() const override { return "TBrokenObject"; }

protected:
    THandle CreateHandle() override { return 0; }
};

class TSleeper : public TThread
{
public:
    ~TSleeper() override { TerminateAndWait(); }

protected:
    void Execute() override
    {
        while (!Terminated())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
};

} // namespace

TEST(TEvent, StartsUnsignalledAndStaysSetOnceSet)
{
    TEvent event;
    EXPECT_FALSE(event.HandleAllocated()); // nothing created until first use
    EXPECT_TRUE(event.ManualReset());
    EXPECT_FALSE(event.InitialState());
    EXPECT_EQ(WaitForAny({&event}, 0), WaitTimeout);
    EXPECT_FALSE(event.Signalled());
    EXPECT_TRUE(event.SetEvent());
    EXPECT_TRUE(event.Signalled());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(WaitForAny({&event}, 0), 0u);
}

TEST(TEvent, SetOnFreshEventCreatesSignalledObject)
{
    TEvent event;
    EXPECT_TRUE(event.SetEvent());
    EXPECT_TRUE(event.HandleAllocated());
    THandle h = event.Handle();
    EXPECT_EQ(WaitForHandles(1, &h, false, 0), 0u);
}

TEST(TKernelObject, CreationFailureRaisesAndRetries)
{
    TBrokenObject broken;
    try {
        broken.Handle();
        FAIL() << "no error";
    } catch (const EKernelObject &e) {
        EXPECT_STREQ(e.what(), "Can't create TBrokenObject");
    }
    EXPECT_FALSE(broken.HandleAllocated());
    EXPECT_THROW(WaitForAny({&broken}, 0), EKernelObject);
}

TEST(TKernelObject, ConcurrentFirstUseCreatesOneObject)
{
    for (int round = 0; round < 50; ++round) {
        TEvent event;
        std::atomic<bool> go{false};
        THandle fromThread = 0;
        std::thread other([&] {
            while (!go) {
            }
            fromThread = event.Handle();
        });
        go = true;
        const THandle here = event.Handle();
        other.join();
        EXPECT_EQ(here, fromThread);
    }
}

TEST(WaitForObjects, ThreadsAndOtherObjects)
{
    TSleeper thread;
    thread.Resume();
    TEvent event;
    TObject plain;
    EXPECT_EQ(WaitForAny({&thread, &event}, 0), WaitTimeout);
    event.SetEvent();
    EXPECT_EQ(WaitForAny({&thread, &event}, 0), 1u);
    EXPECT_EQ(WaitForObjects({&thread, &event}, true, 0), WaitTimeout);
    thread.Terminate();
    EXPECT_EQ(WaitForObjects({&thread, &event}, true, 5000), 0u); // ends when the thread has
    // An object that is neither stands for DefaultEvent, which nothing sets: only the time-out ends it.
    EXPECT_EQ(WaitForAny({&plain}, 20), WaitTimeout);
    EXPECT_FALSE(DefaultEvent().Signalled());
}
