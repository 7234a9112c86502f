#include "billing/formats/cha/PackagePipeline.h"

#include "billing/formats/cha/ZipPackageWriter.h"

#include <optional>
#include <sys/stat.h>

namespace bv {

struct PackagePipeline::Item
{
    enum class State
    {
        Queued,
        Deflating, // taken by the helper
        Deflated,  // ready in memory
    };
    std::filesystem::path file;
    std::string entryName;
    State state = State::Queued;
    bool deflatedOk = false;
    ZipPackageWriter::Deflated deflated;
};

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
    auto item = std::make_shared<Item>();
    item->file = std::move(file);
    item->entryName = std::move(entryName);
    {
        std::lock_guard lock(m_mutex);
        m_items.push_back(std::move(item));
        ++m_queued;
    }
    m_cond.notify_all();
}

void PackagePipeline::run()
{
    try {
        std::optional<ZipPackageWriter> writer;
        writer.emplace(m_archive);
        for (;;) {
            std::shared_ptr<Item> item;
            {
                std::unique_lock lock(m_mutex);
                // Wait for the next item, and for the helper when it is deflating that one.
                m_cond.wait(lock, [this] {
                    return m_discard || (m_next < m_items.size() && m_items[m_next]->state != Item::State::Deflating) ||
                           (m_closing && m_next >= m_items.size());
                });
                if (m_discard)
                    return;
                if (m_next >= m_items.size())
                    break; // closing and everything written
                item = m_items[m_next++];
            }
            m_cond.notify_all();
            if (item->state == Item::State::Deflated && item->deflatedOk) {
                writer->addDeflated(item->file, item->entryName, item->deflated);
                std::lock_guard lock(m_mutex);
                m_aheadBytes -= item->deflated.data.size();
                item->deflated = {};
            } else {
                // Not deflated ahead, or that failed: the writer reads it and reports any error.
                writer->addFile(item->file, item->entryName);
            }
        }
        writer->close();
    } catch (...) {
        {
            std::lock_guard lock(m_mutex);
            m_error = std::current_exception();
            m_discard = true; // nothing more to deflate ahead
        }
        m_cond.notify_all();
    }
}

void PackagePipeline::deflateAhead()
{
    std::unique_lock lock(m_mutex);
    m_back = m_items.size();
    while (!m_discard && m_back > m_next + 1) {
        const std::shared_ptr<Item> item = m_items[--m_back];
        struct stat st
        {
        };
        lock.unlock();
        const bool small =
            ::stat(item->file.c_str(), &st) == 0 && static_cast<std::uint64_t>(st.st_size) <= MaxAheadFileSize;
        lock.lock();
        if (!small || m_aheadBytes + static_cast<std::uint64_t>(st.st_size) > MaxAheadTotal)
            continue;
        // The worker may have reached it meanwhile.
        if (m_back < m_next)
            break;
        item->state = Item::State::Deflating;
        lock.unlock();
        ZipPackageWriter::Deflated deflated;
        const bool ok = ZipPackageWriter::deflateFile(item->file, deflated);
        lock.lock();
        item->deflatedOk = ok;
        if (ok) {
            ++m_deflatedAhead;
            m_aheadBytes += deflated.data.size();
            item->deflated = std::move(deflated);
        }
        item->state = Item::State::Deflated;
        m_cond.notify_all();
    }
}

void PackagePipeline::stop(bool discard)
{
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
        m_discard = m_discard || discard;
    }
    m_cond.notify_all();
    if (!discard)
        deflateAhead();
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
