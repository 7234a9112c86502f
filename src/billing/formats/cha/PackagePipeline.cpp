#include "billing/formats/cha/PackagePipeline.h"

#include "billing/formats/cha/ZipPackageWriter.h"

#include <optional>

namespace bv {

PackagePipeline::PackagePipeline(std::filesystem::path archive) : m_archive(std::move(archive))
{
    m_worker = std::thread([this] { run(); });
}

PackagePipeline::~PackagePipeline()
{
    if (!m_stopped)
        abort();
}

void PackagePipeline::add(std::filesystem::path file, std::string entryName)
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back({std::move(file), std::move(entryName)});
        ++m_queued;
    }
    m_cond.notify_one();
}

void PackagePipeline::run()
{
    try {
        std::optional<ZipPackageWriter> writer;
        writer.emplace(m_archive);
        for (;;) {
            Item item;
            {
                std::unique_lock lock(m_mutex);
                m_cond.wait(lock, [this] { return m_discard || m_closing || !m_queue.empty(); });
                if (m_discard)
                    return;
                if (m_queue.empty())
                    break; // closing and everything packed
                item = std::move(m_queue.front());
                m_queue.pop_front();
            }
            writer->addFile(item.file, item.entryName);
        }
        writer->close();
    } catch (...) {
        std::lock_guard lock(m_mutex);
        m_error = std::current_exception();
    }
}

void PackagePipeline::stop(bool discard)
{
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
        m_discard = m_discard || discard;
    }
    m_cond.notify_one();
    if (m_worker.joinable())
        m_worker.join();
    m_stopped = true;
}

void PackagePipeline::finish()
{
    stop(false);
    if (m_error) {
        std::error_code ignored;
        std::filesystem::remove(m_archive, ignored);
        std::rethrow_exception(m_error);
    }
}

void PackagePipeline::abort()
{
    stop(true);
    std::error_code ignored;
    std::filesystem::remove(m_archive, ignored);
}

} // namespace bv
