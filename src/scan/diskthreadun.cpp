// SPDX-License-Identifier: GPL-3.0-or-later
#include "diskthreadun.h"

#include "diskthreadun_walk.h"
#include "filefunction.h"

#include <algorithm>
#include <exception>
#include <thread>

TDiskThread::TDiskThread(const std::string &drive, TBarSeries *series, int showCount, int mode, TNotifyEvent onDone)
    : FStopEvent(std::make_unique<TEvent>())
    , FSeries(series)
    , FOnDone(std::move(onDone))
    , FDrive(drive)
    , FList(std::make_unique<TFilesList>())
    , FShowCount(showCount)
    , FMode(mode)
    , FHelperThreads(static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u)) - 1)
{
    FList->SetSortMode(SortModeFor(mode));
}

TDiskThread::~TDiskThread()
{
    // Waits while serving the worker's synchronous calls; its last one delivers OnDone.
    TerminateAndWait();
}

void TDiskThread::Stop()
{
    FStopEvent->SetEvent();
    Terminate();
}

std::string TDiskThread::CurrentFolder() const
{
    const char *folder = FCurrentFolder.load(std::memory_order_acquire);
    return folder ? folder : std::string();
}

void TDiskThread::Execute()
{
    try {
        Synchronize([this] { ClearSync(); });
        FAborted = false;
        ScanFolder(FDrive);
        // Stop raises the event's flag before Terminated: a walk that ended on the flag between the
        // two must not start the fill either.
        if (FStopEvent->Signalled())
            FAborted = true;
        FIndex = 0;
        // A stopped run adds no point, so it skips the ranking and ends at once; Rerank ranks later.
        if (!Terminated() && !FAborted)
            FList->Sort();
        const int count = FList->Count();
        if (FMode == rmOldest) {
            FIndex = count - 1;
            int k = 0;
            while (!Terminated() && !FAborted && FIndex >= 0) {
                Synchronize([this] { AddPointSync(); });
                --FIndex;
                if (++k > FShowCount)
                    break;
            }
        } else {
            while (!Terminated() && !FAborted && FIndex < count) {
                Synchronize([this] { AddPointSync(); });
                if (++FIndex > FShowCount)
                    break;
            }
        }
    } catch (const std::exception &e) {
        // The run still ends normally below: the window waits for OnDone from every worker.
        FErrorMessage = e.what();
    }
    FRunning.store(false, std::memory_order_release);
    Synchronize([this] { DoneSync(); });
}

bool TDiskThread::PollStop()
{
    if (!Terminated() && !FAborted) {
        std::vector<TObject *> objects{FStopEvent.get()};
        if (WaitForAny(objects, 0) == WaitObject0)
            FAborted = true;
    }
    return FAborted;
}

void TDiskThread::ScanFolder(const std::string &dir)
{
    TWalkControl control;
    control.Stopped = [this] { return Terminated() || FStopEvent->Signalled(); };
    control.PollStop = [this] { return PollStop(); };
    control.FilesSoFar = &FFilesSoFar;
    control.CurrentFolder = &FCurrentFolder;
    control.Helpers = FHelperThreads;
    WalkFolders(dir, *FList, control);
}

void TDiskThread::ClearSync()
{
    FShown.clear();
    FSeries->Clear();
}

std::string TDiskThread::LabelOf(const TFileObject &r) const
{
    std::string text = r.PathData();
    text += PathDelim;
    text += r.NameData();
    return NormalizePath(text);
}

void TDiskThread::AddPointSync()
{
    FCurrent = FList->Items(FIndex);
    const std::string label = LabelOf(*FCurrent);
    double value = 0;
    if (FMode == rmGreatest) {
        value = static_cast<double>(FCurrent->Size());
        FSeries->SetDateTime(false);
        FSeries->LeftAxis().SetMinimum(0);
        FSeries->LeftAxis().SetMaximum(static_cast<double>(FList->Items(0)->Size()));
    } else {
        value = FCurrent->DateTime();
        FSeries->SetDateTime(true);
    }
    FShown.push_back(FIndex);
    FSeries->Add(value, label, clTeeColor);
}

void TDiskThread::DoneSync()
{
    if (FOnDone)
        FOnDone(this);
}

void TDiskThread::Rerank(int showCount, int mode)
{
    ClearSync();
    FMode = mode;
    FShowCount = showCount;
    FList->SetSortMode(SortModeFor(mode));
    FList->Sort();
    double min = 0.0, max = 0.0;
    const int count = FList->Count();
    if (mode != rmOldest) {
        FSeries->SetDateTime(mode == rmNewest);
        for (int i = 0; i < count; ++i) {
            const TFileObject &r = *FList->Items(i);
            double v = 0;
            if (mode == rmGreatest) {
                v = static_cast<double>(r.Size());
                if (v < min)
                    min = v - 30;
                if (v > max)
                    max = v + 30;
            } else {
                v = r.DateTime();
                if (min == 0)
                    min = v - 3;
                if (v < min)
                    min = v - 3;
                if (max == 0)
                    max = v + 3;
                if (v > max)
                    max = v + 3;
            }
            FShown.push_back(i);
            FSeries->Add(v, LabelOf(r), clTeeColor);
            if (i >= showCount)
                break;
        }
    } else {
        FSeries->SetDateTime(true);
        int k = 0;
        for (int i = count - 1; i >= 0;) {
            const TFileObject &r = *FList->Items(i);
            const double v = r.DateTime();
            if (min == 0)
                min = v - 30;
            if (v - 30 < min)
                min = v - 30;
            if (v > max)
                max = v + 30;
            FShown.push_back(i);
            --i;
            ++k;
            FSeries->Add(v, LabelOf(r), clTeeColor);
            if (k > showCount)
                break;
        }
    }
    FSeries->LeftAxis().SetMinMax(min, max);
}

const TFileObject *TDiskThread::ShownRecord(int pointIndex) const
{
    if (pointIndex < 0 || pointIndex >= static_cast<int>(FShown.size()))
        return nullptr;
    const int index = FShown[static_cast<size_t>(pointIndex)];
    return index >= 0 && index < FList->Count() ? FList->Items(index) : nullptr;
}
