#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// A few worker threads, created once, that prepare the pieces of a rendering while the
// calling thread paints the finished ones in order.
class TRenderPool {
public:
    // workers threads; with 0 every piece is prepared on the calling thread.
    explicit TRenderPool(int workers);
    ~TRenderPool();
    TRenderPool(const TRenderPool &) = delete;
    TRenderPool &operator=(const TRenderPool &) = delete;

    int Workers() const { return int(FThreads.size()); }
    // The most pieces of one run prepared and not yet finished at any time.
    size_t MostPiecesReady() const { return kPiecesAheadPerWorker * FThreads.size() + 1; }

    // Runs prepare(i) for every i < count on the workers, a few pieces ahead of the caller, and
    // finish(i) on the calling thread in the order of i, each once prepare(i) is done. An
    // exception of prepare(i) is thrown on the calling thread where finish(i) would have run;
    // whatever ends the run, it returns only when no worker still runs a prepare of it. Runs
    // from several threads, or nested in a finish, share the workers.
    void Run(size_t count, const std::function<void(size_t)> &prepare, const std::function<void(size_t)> &finish);

    class TBackgroundRun;
    // Starts prepare(i) for every i < count in the background and returns at once. The
    // pieces of every Run go first, and background pieces run on all workers but one, so
    // that the calling thread keeps a processor. Exceptions of prepare are dropped. The work
    // ends when the returned object is stopped or destroyed; with no workers nothing runs.
    TBackgroundRun RunInBackground(size_t count, std::function<void(size_t)> prepare);

private:
    // Pieces prepared ahead of the one the caller finishes, a worker: enough to keep every
    // worker busy while the caller paints, past a run of pieces the tile cache serves at once
    // (a row of a large view), and few enough to bound the memory of pieces waiting (a few
    // MiB of decoded tiles).
    static constexpr size_t kPiecesAheadPerWorker = 16;

    struct TBatch;
    struct TTask {
        std::shared_ptr<TBatch> Batch;
        size_t Index;
    };
    void Submit(const std::shared_ptr<TBatch> &batch, size_t index);
    void Work();
    // Whether a worker may take a task now; under the lock.
    bool TaskAvailable() const;
    // Waits until no task of a background batch is queued or running, dropping the queued
    // ones first when cancel is set.
    void Finish(const std::shared_ptr<TBatch> &batch, bool cancel);

    std::mutex FMutex;
    std::condition_variable FTaskReady; // a task was queued, or the pool ends
    std::condition_variable FTaskDone;
    std::deque<TTask> FTasks;
    std::deque<TTask> FBackgroundTasks;
    int FBackgroundRunning = 0; // background tasks the workers run now
    int FBackgroundWorkers = 0; // the most workers that run background tasks at once
    bool FStopping = false;
    std::vector<std::thread> FThreads;
};

// Background work of a pool (RunInBackground). Stopping it drops the pieces not yet begun and
// waits for those running; destroying it stops it. It must end before its pool does.
class TRenderPool::TBackgroundRun {
public:
    TBackgroundRun() = default;
    TBackgroundRun(TBackgroundRun &&other) noexcept;
    TBackgroundRun &operator=(TBackgroundRun &&other) noexcept;
    ~TBackgroundRun();

    void Stop();
    // Waits until every piece has been prepared.
    void Wait();

private:
    friend class TRenderPool;
    TBackgroundRun(TRenderPool *pool, std::shared_ptr<TBatch> batch);

    TRenderPool *FPool = nullptr;
    std::shared_ptr<TBatch> FBatch;
};

// The pool the map renderer uses: one worker a processor (at least one).
TRenderPool &SharedRenderPool();
// Replaces the shared pool by one of the given number of workers (0: no threads at all), for
// measuring and testing the serial path. Never while a rendering or a background run lives.
void SetSharedRenderWorkers(int workers);
