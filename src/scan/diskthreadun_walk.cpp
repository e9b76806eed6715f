// SPDX-License-Identifier: GPL-3.0-or-later
#include "diskthreadun_walk.h"

#include "filefunction.h"
#include "platform/FileEnum.h"

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

std::string SubFolderPath(const std::string &dir, std::string_view name)
{
#ifdef _WIN32
    std::string out = NormalizePathWindows(dir + "\\");
    out += '\\';
#else
    std::string out = NormalizePathPosix(dir);
    if (out.empty() || out.back() != '/')
        out += '/';
#endif
    out += name;
    return out;
}

namespace {

// One folder to read: by the walking thread itself, or ahead of it by a helper.
struct TJob {
    enum : int { Pending, Taken, Done };
    std::atomic<int> State{Pending};
    std::string Name;                           // within the parent
    std::shared_ptr<TFolderReader> Parent;      // open until this folder is open
    std::shared_ptr<TFolderReader> Reader;      // the root's, opened by the caller
    bool ReadByHelper = false;
    // The result: entries in listing order; a file's data, or the number of a child job.
    struct TEntry {
        std::int64_t Size;
        std::int64_t Stamp;
        std::uint32_t Attr;
        std::uint32_t NameOffset;
        std::uint32_t NameLength;
        std::int32_t Child; // -1 for a file
    };
    std::vector<TEntry> Entries;
    std::string Names;
    std::vector<std::shared_ptr<TJob>> Children;
    std::exception_ptr Error; // raised while reading (out of memory); re-raised on the walking thread
};

class TWalk
{
public:
    TWalk(TFilesList &list, TWalkControl &control)
        : FList(list)
        , FControl(control)
    {
    }

    void Run(const std::string &root)
    {
        auto reader = std::make_shared<TFolderReader>(root, faAnyFile);
        if (!reader->Valid())
            return;
        auto job = std::make_shared<TJob>();
        job->Reader = std::move(reader);
        for (int i = 0; i < FControl.Helpers; ++i)
            FHelpers.emplace_back([this] { HelperLoop(); });
        try {
            Consume(job, root);
        } catch (...) {
            Finish();
            throw;
        }
        Finish();
    }

private:
    // Helpers keep at most this many read-ahead entries waiting for the walking thread.
    static constexpr std::size_t ReadAheadLimit = 1 << 16;

    void Finish()
    {
        {
            std::lock_guard lock(FMutex);
            FFinished = true;
        }
        FCv.notify_all();
        for (auto &t : FHelpers)
            t.join();
        FHelpers.clear();
    }

    // Reads the job's folder completely: files' data kept, sub-folders become new jobs that
    // helpers may take at once (the first sub-folder on top).
    void Process(TJob &job, bool helper)
    {
        std::shared_ptr<TFolderReader> reader = job.Reader;
        if (!reader)
            reader = std::make_shared<TFolderReader>(*job.Parent, job.Name);
        job.Parent.reset();
        job.Reader.reset();
        try {
            Read(job, reader);
        } catch (...) {
            job.Error = std::current_exception();
        }
        reader.reset(); // the children keep it open as long as they need it
        std::lock_guard lock(FMutex);
        if (FControl.Helpers > 0)
            for (auto it = job.Children.rbegin(); it != job.Children.rend(); ++it)
                FStack.push_back(*it);
        job.ReadByHelper = helper;
        if (helper)
            FReadAhead += job.Entries.size();
        job.State.store(TJob::Done, std::memory_order_release);
        FCv.notify_all();
    }

    void Read(TJob &job, const std::shared_ptr<TFolderReader> &reader)
    {
        if (reader->Valid()) {
            TDirEntry entry;
            while (!FControl.Stopped() && reader->Next(entry)) {
                TJob::TEntry e{entry.Size, entry.ModTime, entry.Attr, static_cast<std::uint32_t>(job.Names.size()),
                               static_cast<std::uint32_t>(entry.Name.size()), -1};
                job.Names.append(entry.Name);
                if (entry.Folder) {
                    e.Child = static_cast<std::int32_t>(job.Children.size());
                    auto child = std::make_shared<TJob>();
                    child->Name = std::string(entry.Name);
                    child->Parent = reader;
                    job.Children.push_back(std::move(child));
                }
                job.Entries.push_back(e);
            }
        }
    }

    void HelperLoop()
    {
        for (;;) {
            std::shared_ptr<TJob> job;
            {
                std::unique_lock lock(FMutex);
                FCv.wait(lock, [&] { return FFinished || (!FStack.empty() && FReadAhead < ReadAheadLimit); });
                if (FFinished)
                    return;
                job = std::move(FStack.back());
                FStack.pop_back();
            }
            int pending = TJob::Pending;
            if (!FControl.Stopped() && job->State.compare_exchange_strong(pending, TJob::Taken))
                Process(*job, true);
        }
    }

    // The job's result, read here if no helper has taken it, else waited for.
    void Obtain(TJob &job)
    {
        int pending = TJob::Pending;
        if (job.State.compare_exchange_strong(pending, TJob::Taken)) {
            Process(job, false);
        } else {
            // A helper is reading it. Rather than wait idle, read other folders in the meantime:
            // otherwise the helpers would do all the reading and the walk gain nothing from them.
            std::unique_lock lock(FMutex);
            while (job.State.load(std::memory_order_acquire) != TJob::Done) {
                std::shared_ptr<TJob> other;
                while (!other && !FStack.empty()) {
                    other = std::move(FStack.back());
                    FStack.pop_back();
                    int free = TJob::Pending;
                    if (!other->State.compare_exchange_strong(free, TJob::Taken))
                        other.reset();
                }
                if (!other) {
                    FCv.wait(lock);
                    continue;
                }
                lock.unlock();
                Process(*other, true);
                lock.lock();
            }
        }
        if (job.Error)
            std::rethrow_exception(job.Error);
    }

    // The walking thread is done with a job: helpers may read further ahead.
    void Release(TJob &job)
    {
        if (!job.ReadByHelper)
            return;
        {
            std::lock_guard lock(FMutex);
            FReadAhead -= job.Entries.size();
            job.ReadByHelper = false;
        }
        FCv.notify_all();
    }

    // Depth-first over the jobs' results, with an explicit stack so that depth costs no call stack.
    void Consume(const std::shared_ptr<TJob> &rootJob, const std::string &root)
    {
        struct TFrame {
            std::shared_ptr<TJob> Job;
            std::string Path;
            const char *Interned;
            std::size_t Next;
        };
        std::vector<TFrame> frames;
        auto enter = [&](std::shared_ptr<TJob> job, std::string path) {
            Obtain(*job);
            const char *interned = FList.InternText(path);
            FControl.CurrentFolder->store(interned, std::memory_order_release);
            frames.push_back(TFrame{std::move(job), std::move(path), interned, 0});
        };
        if (FControl.PollStop())
            return;
        enter(rootJob, root);
        while (!frames.empty()) {
            TFrame &frame = frames.back();
            TJob &job = *frame.Job;
            if (frame.Next >= job.Entries.size() || FControl.Stopped()) {
                Release(job);
                frames.pop_back();
                if (!frames.empty())
                    FControl.CurrentFolder->store(frames.back().Interned, std::memory_order_release);
                continue;
            }
            const TJob::TEntry &e = job.Entries[frame.Next++];
            const std::string_view name(job.Names.data() + e.NameOffset, e.NameLength);
            if (e.Child < 0) {
                FList.Append(name, frame.Interned, e.Size, e.Attr, e.Stamp);
                FControl.FilesSoFar->fetch_add(1, std::memory_order_relaxed);
                continue;
            }
            if (FControl.PollStop())
                return;
            std::shared_ptr<TJob> child = std::move(job.Children[static_cast<std::size_t>(e.Child)]);
            enter(std::move(child), SubFolderPath(frame.Path, name));
        }
    }

    TFilesList &FList;
    TWalkControl &FControl;
    std::vector<std::thread> FHelpers;
    std::mutex FMutex;
    std::condition_variable FCv;
    std::vector<std::shared_ptr<TJob>> FStack;
    std::size_t FReadAhead = 0;
    bool FFinished = false;
};

} // namespace

void WalkFolders(const std::string &root, TFilesList &list, TWalkControl &control)
{
    TWalk walk(list, control);
    walk.Run(root);
}
