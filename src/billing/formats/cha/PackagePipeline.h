#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

namespace bv {

// Writes a ZIP archive on a worker thread from a queue of files, so that deflating the invoices
// already accepted overlaps with parsing the next ones. Nothing is visible to the caller until
// finish(): the archive is written under a temporary name, and a pipeline that is aborted or fails
// removes it.
class PackagePipeline
{
public:
    // Starts the worker; the archive is created at `archive`.
    explicit PackagePipeline(std::filesystem::path archive);
    // Aborts when finish() has not run.
    ~PackagePipeline();
    PackagePipeline(const PackagePipeline&) = delete;
    PackagePipeline& operator=(const PackagePipeline&) = delete;

    // Queues a file for the archive, as an entry of that name.
    void add(std::filesystem::path file, std::string entryName);
    int queuedCount() const { return m_queued; }
    // Waits until every queued file is packed and the archive is closed and on disk. Rethrows the
    // first error of the worker (ZipPackageWriter::Error or another exception); the archive file
    // is then removed.
    void finish();
    // Stops the worker as soon as possible and removes the archive file.
    void abort();
    const std::filesystem::path& archive() const { return m_archive; }

private:
    struct Item
    {
        std::filesystem::path file;
        std::string entryName;
    };

    void run();
    void stop(bool discard);

    std::filesystem::path m_archive;
    std::mutex m_mutex;
    std::condition_variable m_cond;
    std::deque<Item> m_queue;
    bool m_closing = false;
    bool m_discard = false;
    bool m_stopped = false;
    int m_queued = 0;
    std::exception_ptr m_error;
    std::thread m_worker;
};

} // namespace bv
