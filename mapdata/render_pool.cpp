#include "mapdata/render_pool.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace {

int ProcessorCount()
{
    return std::max(1, int(std::thread::hardware_concurrency()));
}

std::mutex gSharedPoolLock; // guards the making and the replacing of the shared pool

std::unique_ptr<TRenderPool> &SharedPoolSlot()
{
    static std::unique_ptr<TRenderPool> pool;
    return pool;
}

} // namespace

// What one Run or background run shares with the workers: how its pieces are prepared and,
// for a Run, which of them are done and how.
struct TRenderPool::TBatch {
    const std::function<void(size_t)> *Prepare = nullptr;
    std::function<void(size_t)> OwnPrepare; // a background run's, which outlives its caller
    bool Background = false;
    std::vector<char> Done;
    std::vector<std::exception_ptr> Errors;
    size_t Pending = 0;     // tasks queued or running
    bool Cancelled = false; // queued tasks are skipped
};

TRenderPool::TRenderPool(int workers) : FBackgroundWorkers(std::max(1, workers - 1))
{
    for (int i = 0; i < workers; ++i)
        FThreads.emplace_back([this] { Work(); });
}

TRenderPool::~TRenderPool()
{
    {
        const std::lock_guard lock(FMutex);
        FStopping = true;
        for (const TTask &task : FBackgroundTasks)
            --task.Batch->Pending;
        FBackgroundTasks.clear();
    }
    FTaskReady.notify_all();
    for (std::thread &thread : FThreads)
        thread.join();
}

void TRenderPool::Run(size_t count, const std::function<void(size_t)> &prepare,
                      const std::function<void(size_t)> &finish)
{
    if (FThreads.empty()) {
        for (size_t i = 0; i < count; ++i) {
            prepare(i);
            finish(i);
        }
        return;
    }
    const auto batch = std::make_shared<TBatch>();
    batch->Prepare = &prepare;
    batch->Done.assign(count, 0);
    batch->Errors.resize(count);
    // However the run ends, no queued task of it starts and no running one outlives it.
    struct TDrain {
        TRenderPool &Pool;
        TBatch &Batch;
        ~TDrain()
        {
            std::unique_lock lock(Pool.FMutex);
            Batch.Cancelled = true;
            Pool.FTaskDone.wait(lock, [this] { return Batch.Pending == 0; });
        }
    } drain{*this, *batch};

    const size_t ahead = kPiecesAheadPerWorker * FThreads.size();
    size_t submitted = 0;
    for (size_t i = 0; i < count; ++i) {
        for (; submitted < count && submitted <= i + ahead; ++submitted)
            Submit(batch, submitted);
        std::exception_ptr error;
        {
            std::unique_lock lock(FMutex);
            FTaskDone.wait(lock, [&] { return batch->Done[i] != 0; });
            error = batch->Errors[i];
        }
        if (error)
            std::rethrow_exception(error);
        finish(i);
    }
}

void TRenderPool::Submit(const std::shared_ptr<TBatch> &batch, size_t index)
{
    {
        const std::lock_guard lock(FMutex);
        ++batch->Pending;
        FTasks.push_back({batch, index});
    }
    FTaskReady.notify_one();
}

TRenderPool::TBackgroundRun TRenderPool::RunInBackground(size_t count, std::function<void(size_t)> prepare)
{
    if (FThreads.empty() || count == 0)
        return {};
    const auto batch = std::make_shared<TBatch>();
    batch->OwnPrepare = std::move(prepare);
    batch->Prepare = &batch->OwnPrepare;
    batch->Background = true;
    {
        const std::lock_guard lock(FMutex);
        batch->Pending = count;
        for (size_t i = 0; i < count; ++i)
            FBackgroundTasks.push_back({batch, i});
    }
    // Only so many workers may take background tasks: waking the others would only take the
    // processor from the thread that queued them.
    for (int worker = 0; worker < FBackgroundWorkers && size_t(worker) < count; ++worker)
        FTaskReady.notify_one();
    return TBackgroundRun(this, batch);
}

void TRenderPool::Finish(const std::shared_ptr<TBatch> &batch, bool cancel)
{
    std::unique_lock lock(FMutex);
    if (cancel) {
        batch->Cancelled = true;
        batch->Pending -= std::erase_if(FBackgroundTasks, [&](const TTask &task) { return task.Batch == batch; });
    }
    FTaskDone.wait(lock, [&] { return batch->Pending == 0; });
}

bool TRenderPool::TaskAvailable() const
{
    return !FTasks.empty() || (!FBackgroundTasks.empty() && FBackgroundRunning < FBackgroundWorkers);
}

void TRenderPool::Work()
{
    std::unique_lock lock(FMutex);
    for (;;) {
        FTaskReady.wait(lock, [this] { return FStopping || TaskAvailable(); });
        if (!TaskAvailable())
            return;
        std::deque<TTask> &queue = FTasks.empty() ? FBackgroundTasks : FTasks;
        const TTask task = std::move(queue.front());
        queue.pop_front();
        TBatch &batch = *task.Batch;
        if (batch.Background)
            ++FBackgroundRunning;
        if (!batch.Cancelled) {
            lock.unlock();
            std::exception_ptr error;
            try {
                (*batch.Prepare)(task.Index);
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            if (!batch.Background)
                batch.Errors[task.Index] = error;
        }
        if (batch.Background) {
            --FBackgroundRunning;
            FTaskReady.notify_one(); // the next background task may start
        } else {
            batch.Done[task.Index] = 1;
        }
        --batch.Pending;
        FTaskDone.notify_all();
    }
}

TRenderPool::TBackgroundRun::TBackgroundRun(TRenderPool *pool, std::shared_ptr<TBatch> batch)
    : FPool(pool), FBatch(std::move(batch))
{
}

TRenderPool::TBackgroundRun::TBackgroundRun(TBackgroundRun &&other) noexcept
    : FPool(std::exchange(other.FPool, nullptr)), FBatch(std::move(other.FBatch))
{
}

TRenderPool::TBackgroundRun &TRenderPool::TBackgroundRun::operator=(TBackgroundRun &&other) noexcept
{
    if (this != &other) {
        Stop();
        FPool = std::exchange(other.FPool, nullptr);
        FBatch = std::move(other.FBatch);
    }
    return *this;
}

TRenderPool::TBackgroundRun::~TBackgroundRun()
{
    Stop();
}

void TRenderPool::TBackgroundRun::Stop()
{
    if (!FBatch)
        return;
    FPool->Finish(FBatch, true);
    FBatch.reset();
    FPool = nullptr;
}

void TRenderPool::TBackgroundRun::Wait()
{
    if (FBatch)
        FPool->Finish(FBatch, false);
}

TRenderPool &SharedRenderPool()
{
    const std::lock_guard lock(gSharedPoolLock);
    std::unique_ptr<TRenderPool> &pool = SharedPoolSlot();
    if (!pool)
        pool = std::make_unique<TRenderPool>(ProcessorCount());
    return *pool;
}

void SetSharedRenderWorkers(int workers)
{
    const std::lock_guard lock(gSharedPoolLock);
    std::unique_ptr<TRenderPool> &pool = SharedPoolSlot();
    pool.reset();
    pool = std::make_unique<TRenderPool>(workers);
}
