#include "billing/formats/records/RecordReader.h"

#include "billing/AdzCodes.h"
#include "billing/CAdzException.h"
#include "billing/OpenFile.h"
#include "billing/formats/records/RecordTexts.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstring>

namespace bv::records {

namespace {

// Records read at once: 1 MiB of DDS-RZ records.
constexpr std::size_t RecordsPerBlock = 4096;

} // namespace

RecordReader::RecordReader(const RecordFraming& framing, unsigned stride)
    : m_framing(framing), m_stride(stride ? stride : framing.recordLength), m_record(framing.recordLength + 1u, '\0')
{}

void RecordReader::attach(OpenFile* file, int recordCount)
{
    m_file = file;
    m_recordCount = recordCount;
    m_blockStart = -1;
    m_blockBytes = 0;
}

std::size_t RecordReader::fetch(int index, const char*& bytes)
{
    const std::int64_t length = m_framing.recordLength;
    const std::int64_t offset = static_cast<std::int64_t>(index) * m_stride;
    const bool inBlock = m_blockStart >= 0 && offset >= m_blockStart &&
                         offset + length <= m_blockStart + static_cast<std::int64_t>(m_blockBytes);
    if (!inBlock) {
        if (m_block.empty()) {
            const auto records = std::min<std::size_t>(RecordsPerBlock, static_cast<std::size_t>(m_recordCount));
            m_block.resize(std::max<std::size_t>(records, 1) * m_stride);
        }
        const std::int64_t n = m_file ? m_file->readAt(offset, m_block.data(), m_block.size()) : -1;
        m_blockStart = offset;
        m_blockBytes = n < 0 ? 0 : static_cast<std::size_t>(n);
    }
    const auto at = static_cast<std::size_t>(offset - m_blockStart);
    bytes = m_block.data() + at;
    return at >= m_blockBytes ? 0 : std::min<std::size_t>(m_blockBytes - at, m_framing.recordLength);
}

std::string RecordReader::typeText(const char* record) const
{
    const char* type = record + m_framing.typeOffset;
    return cp1252ToUtf8(std::string_view(type, strnlen(type, m_framing.typeWidth)));
}

char* RecordReader::frame(int index)
{
    if (index < 0 || index >= m_recordCount)
        return nullptr;
    const char* bytes = nullptr;
    const std::size_t n = fetch(index, bytes);
    const unsigned length = m_framing.recordLength;
    // A record read short keeps nothing of an earlier record in the buffer.
    std::memset(m_record.data(), 0, m_record.size());
    std::memcpy(m_record.data(), bytes, n);
    if (n < length) {
        // The block ends where the file ended when it was read.
        m_blockStart = -1;
        throw BV_ADZ_ERROR(adz::Content,
                           strFormat(record_texts::ShortRead, static_cast<unsigned>(index), static_cast<unsigned>(n)));
    }
    char* record = m_record.data();
    if (m_framing.lineEnd == 2 && (record[length - 2] != '\r' || record[length - 1] != '\n'))
        throw BV_ADZ_ERROR(adz::Content, strFormat(record_texts::BadRecordEnd, static_cast<unsigned>(index),
                                                   typeText(record).c_str()));
    const std::size_t textLength = strnlen(record, length);
    if (textLength < length)
        throw BV_ADZ_ERROR(adz::Content, strFormat(record_texts::RecordCutShort, static_cast<unsigned>(index),
                                                   typeText(record).c_str(), static_cast<unsigned>(textLength)));
    return record;
}

} // namespace bv::records
