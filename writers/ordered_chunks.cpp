#include "writers/ordered_chunks.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace vantorel {

std::size_t ItemsPerPiece(std::uint64_t items, std::uint64_t bytesPerItem,
                          std::uint64_t targetBytes) {
    const std::uint64_t perPiece = std::max<std::uint64_t>(1, targetBytes / std::max<std::uint64_t>(1, bytesPerItem));
    return static_cast<std::size_t>(std::min<std::uint64_t>(perPiece, std::max<std::uint64_t>(items, 1)));
}

namespace {

void WriteSequentially(ByteSink& sink, std::size_t count, const PieceFormatter& format,
                       const ProgressFn& progress) {
    TextBuffer buffer;
    for (std::size_t piece = 0; piece < count; ++piece) {
        buffer.Clear();
        format(piece, buffer);
        sink.Write(buffer.View());
        if (progress) progress(piece + 1, count);
    }
}

std::thread StartWorker(const std::function<void()>& work) {
    int& allowed = ordered_chunks_detail::threadStartsAllowedForTesting;
    if (allowed == 0)
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    if (allowed > 0) --allowed;
    return std::thread(work);
}

}  // namespace

namespace ordered_chunks_detail {
int threadStartsAllowedForTesting = -1;
}

void WriteInOrder(ByteSink& sink, std::size_t count, const PieceFormatter& format,
                  const ProgressFn& progress) {
    WriteInOrderByWorker(sink, count, [&format] { return format; }, progress);
}

void WriteInOrderByWorker(ByteSink& sink, std::size_t count,
                          const std::function<PieceFormatter()>& makeWorker,
                          const ProgressFn& progress) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t workers = std::min<std::size_t>(cores, 4);
    if (count < 3 || workers < 2) {
        WriteSequentially(sink, count, makeWorker(), progress);
        return;
    }

    // Pieces may be formatted at most `window` ahead of the one being written.
    const std::size_t window = workers * 2;
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t nextToFormat = 0;
    std::size_t nextToWrite = 0;
    bool stopping = false;
    std::exception_ptr failure;
    std::map<std::size_t, std::unique_ptr<TextBuffer>> ready;
    std::vector<std::unique_ptr<TextBuffer>> spare;

    // The first error of any worker stops them all; the writing loop raises it.
    auto fail = [&] {
        std::lock_guard lock(mutex);
        if (!failure) failure = std::current_exception();
        stopping = true;
        changed.notify_all();
    };
    auto work = [&] {
        PieceFormatter format;
        try {
            format = makeWorker();
        } catch (...) {
            fail();
            return;
        }
        for (;;) {
            std::size_t piece;
            std::unique_ptr<TextBuffer> buffer;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] {
                    return stopping || nextToFormat >= count || nextToFormat < nextToWrite + window;
                });
                if (stopping || nextToFormat >= count) return;
                piece = nextToFormat++;
                if (!spare.empty()) {
                    buffer = std::move(spare.back());
                    spare.pop_back();
                }
            }
            if (!buffer) buffer = std::make_unique<TextBuffer>();
            buffer->Clear();
            try {
                format(piece, *buffer);
            } catch (...) {
                fail();
                return;
            }
            std::lock_guard lock(mutex);
            ready.emplace(piece, std::move(buffer));
            changed.notify_all();
        }
    };

    std::vector<std::thread> threads;
    try {
        for (std::size_t t = 0; t < workers; ++t) threads.push_back(StartWorker(work));
    } catch (const std::system_error&) {
        // Fewer workers than cores still write the file; none at all, and this thread does.
        if (threads.empty()) {
            WriteSequentially(sink, count, makeWorker(), progress);
            return;
        }
    }

    auto stopAll = [&] {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        changed.notify_all();
        for (auto& thread : threads) thread.join();
    };

    try {
        while (nextToWrite < count) {
            std::unique_ptr<TextBuffer> buffer;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return failure || ready.count(nextToWrite) != 0; });
                if (failure) break;
                auto found = ready.find(nextToWrite);
                buffer = std::move(found->second);
                ready.erase(found);
            }
            sink.Write(buffer->View());
            {
                std::lock_guard lock(mutex);
                ++nextToWrite;
                spare.push_back(std::move(buffer));
            }
            changed.notify_all();
            if (progress) progress(nextToWrite, count);
        }
    } catch (...) {
        stopAll();
        throw;
    }
    stopAll();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace vantorel
