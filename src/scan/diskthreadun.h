// SPDX-License-Identifier: GPL-3.0-or-later
// diskthreadun: the worker that walks one drive, ranks every file and fills the drive's chart.
#pragma once

#include "Fllist.h"
#include "NTObj.h"
#include "platform/Component.h"
#include "platform/Series.h"
#include "platform/Threads.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

/// Ranking modes.
constexpr int rmGreatest = 0; ///< "Greatest files": largest first, sizes as values
constexpr int rmOldest = 1;   ///< "Oldest files": oldest first, date-times as values
constexpr int rmNewest = 2;   ///< "Newest files": newest first, date-times as values

/// One worker per drive (or folder). Created suspended; Resume() starts it. It walks the drive
/// depth-first (never following links, never leaving the drive's file system, skipping what it
/// cannot read), ranks every file in its own TFilesList, then adds the N + 1 head files of the
/// ranking to the series, one synchronous call into the GUI thread per point, and calls OnDone on
/// the GUI thread. Afterwards Rerank re-sorts and refills without scanning again.
///
/// The GUI thread creates, stops, re-ranks and destroys the worker and reads Running and Drive; it
/// must keep processing messages while it waits for a worker (the worker blocks in its synchronous
/// calls). The worker never destroys itself.
class TDiskThread : public TThread
{
public:
    /// `drive`: the drive text or folder to walk, as it is shown ("/", "/home", "C:"); `series`: the
    /// chart series to fill (not owned, must outlive the worker); `showCount`: N; `mode`: rmGreatest,
    /// rmOldest or rmNewest; `onDone`: called once per run, on the GUI thread, with the worker as
    /// sender, after Running() has become false (also after Stop).
    TDiskThread(const std::string &drive, TBarSeries *series, int showCount, int mode, TNotifyEvent onDone);
    /// Stops the worker and waits for it, serving its synchronous calls (so OnDone may run inside);
    /// then frees the list and every record.
    ~TDiskThread() override;

    /// GUI thread, any time: signals the stop event and sets Terminated; returns at once. The walk
    /// ends at the next entry, the fill adds nothing more, OnDone still comes once.
    void Stop();
    /// GUI thread, only while !Running(): re-sorts the records for `mode` and refills the series
    /// with N + 1 points and a fixed left-axis range around them, without scanning again.
    void Rerank(int showCount, int mode);

    bool Running() const { return FRunning.load(std::memory_order_acquire); }
    const std::string &Drive() const { return FDrive; }
    int ShowCount() const { return FShowCount; }
    int Mode() const { return FMode; }
    TNotifyEvent OnDone() const { return FOnDone; }
    void SetOnDone(TNotifyEvent handler) { FOnDone = std::move(handler); }

    /// Progress, readable from any thread: files found so far and the folder being walked.
    std::uint64_t FilesSoFar() const { return FFilesSoFar.load(std::memory_order_relaxed); }
    std::string CurrentFolder() const;
    /// True when the run was stopped (Stop or destruction) before it ended.
    bool Aborted() const { return FAborted.load(std::memory_order_acquire) || Terminated(); }
    /// The message of an error that ended the last run early (out of memory, a failing chart
    /// step), or empty. Read after OnDone.
    const std::string &ErrorMessage() const { return FErrorMessage; }

    /// GUI thread, while !Running(): the record behind point `pointIndex` of the last fill, or
    /// nullptr when there is no such point.
    const TFileObject *ShownRecord(int pointIndex) const;
    /// GUI thread, while !Running(): the ranked list (for tests and the command line).
    const TFilesList &List() const { return *FList; }

    /// Threads that read folders ahead of the walk (default: one per further processor core, at
    /// most 3). The records enter the list in the same order whatever the number. Before Resume.
    int HelperThreads() const { return FHelperThreads; }
    void SetHelperThreads(int count) { FHelperThreads = std::max(0, count); }

    std::string ClassName() const override { return "TDiskThread"; }

protected:
    void Execute() override;

private:
    void ScanFolder(const std::string &dir);
    bool PollStop();
    void ClearSync();
    void AddPointSync();
    void DoneSync();
    std::string LabelOf(const TFileObject &r) const;
    static std::uint8_t SortModeFor(int mode) { return mode == rmGreatest ? smSize : smTime; }

    std::atomic<bool> FRunning{true};
    int FIndex = 0;
    const TFileObject *FCurrent = nullptr;
    std::unique_ptr<TEvent> FStopEvent;
    TBarSeries *FSeries;
    TNotifyEvent FOnDone;
    std::string FDrive;
    std::unique_ptr<TFilesList> FList;
    int FShowCount;
    int FMode;
    int FHelperThreads;
    std::atomic<bool> FAborted{false};
    std::atomic<std::uint64_t> FFilesSoFar{0};
    std::atomic<const char *> FCurrentFolder{nullptr};
    std::string FErrorMessage;
    std::vector<int> FShown; // list index behind each point of the last fill
};
