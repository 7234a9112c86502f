#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace bv {

// Writes a ZIP archive on a worker thread from a queue of files, so that deflating the invoices
// already accepted overlaps with parsing the next ones; when the caller has no more files, it
// deflates entries from the end of the queue into memory while the worker writes from the front.
// Nothing is visible to the caller until finish(): the archive is written under a temporary name,
// and a pipeline that is aborted or fails removes it.
class PackagePipeline
{
public:
    // Files deflated ahead in memory are small ones, and together never more than this.
    static constexpr std::uint64_t MaxAheadFileSize = 1u << 20;
    static constexpr std::uint64_t MaxAheadTotal = 16u << 20;

    // Starts the worker; the archive is created at `archive`.
    explicit PackagePipeline(std::filesystem::path archive);
    // Aborts when finish() has not run.
    ~PackagePipeline();
    PackagePipeline(const PackagePipeline&) = delete;
    PackagePipeline& operator=(const PackagePipeline&) = delete;

    // Queues a file for the archive, as an entry of that name.
    void add(std::filesystem::path file, std::string entryName);
    int queuedCount() const { return m_queued; }
    // How many entries the caller deflated ahead in finish().
    int deflatedAheadCount() const { return m_deflatedAhead; }
    // Waits until every queued file is packed and the archive is closed and on disk. Rethrows the
    // first error of the worker (ZipPackageWriter::Error or another exception); the archive file
    // is then removed.
    void finish();
    // Stops the worker as soon as possible and removes the archive file.
    void abort();
    const std::filesystem::path& archive() const { return m_archive; }

private:
    struct Item;

    void run();
    void deflateAhead();
    void stop(bool discard);

    std::filesystem::path m_archive;
    std::mutex m_mutex;
    std::condition_variable m_cond;
    std::vector<std::shared_ptr<Item>> m_items;
    std::size_t m_next = 0; // the next item the worker writes
    std::size_t m_back = 0; // items from here on are left to the worker by the helper
    std::uint64_t m_aheadBytes = 0;
    bool m_closing = false;
    bool m_discard = false;
    bool m_stopped = false;
    int m_queued = 0;
    int m_deflatedAhead = 0;
    std::exception_ptr m_error;
    std::thread m_worker;
};

} // namespace bv
