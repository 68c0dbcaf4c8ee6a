#include "mapdata/render_pool.h"

#include <algorithm>
#include <exception>

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

// What one Run shares with the workers: which of its pieces are prepared, and how.
struct TRenderPool::TBatch {
    const std::function<void(size_t)> *Prepare;
    std::vector<char> Done;
    std::vector<std::exception_ptr> Errors;
    size_t Pending = 0;     // tasks queued or running
    bool Cancelled = false; // queued tasks are skipped
};

TRenderPool::TRenderPool(int workers)
{
    for (int i = 0; i < workers; ++i)
        FThreads.emplace_back([this] { Work(); });
}

TRenderPool::~TRenderPool()
{
    {
        const std::lock_guard lock(FMutex);
        FStopping = true;
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

void TRenderPool::Work()
{
    std::unique_lock lock(FMutex);
    for (;;) {
        FTaskReady.wait(lock, [this] { return FStopping || !FTasks.empty(); });
        if (FTasks.empty())
            return;
        const TTask task = std::move(FTasks.front());
        FTasks.pop_front();
        TBatch &batch = *task.Batch;
        if (!batch.Cancelled) {
            lock.unlock();
            std::exception_ptr error;
            try {
                (*batch.Prepare)(task.Index);
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            batch.Errors[task.Index] = error;
        }
        batch.Done[task.Index] = 1;
        --batch.Pending;
        FTaskDone.notify_all();
    }
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
