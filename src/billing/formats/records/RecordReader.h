#pragma once

#include "billing/formats/records/CodePage.h"
#include "billing/formats/records/RecordFraming.h"

#include <cstdint>
#include <string>
#include <vector>

namespace bv {
class OpenFile;
}

namespace bv::records {

// Reads the records of one fixed-record file by index and checks their framing. The file is read in
// blocks of many records, so a pass over a file costs a few reads; each reader owns its blocks and its
// record buffer (a record text stays valid until the next call).
class RecordReader
{
public:
    explicit RecordReader(const RecordFraming& framing);
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    const RecordFraming& framing() const { return m_framing; }
    void attach(OpenFile* file, int recordCount);
    int recordCount() const { return m_recordCount; }

    // The record text of `index` (record length plus a NUL), or null when the index is not below the
    // record count. Throws CAdzException 34 for a short read, a record without its CR LF and a NUL
    // inside the record.
    char* frame(int index);
    // The record type text of a record text, up to a NUL, for messages (UTF-8).
    std::string typeText(const char* record) const;

    void setCodePage(CodePageStep step) { m_codePage = step; }
    const CodePageStep& codePage() const { return m_codePage; }
    // The code-page step over the whole record, in place.
    void convert(char* record) const { m_codePage.apply(record, m_framing.recordLength); }

private:
    // The bytes of the record at `index` from the block that holds it; how many there are.
    std::size_t fetch(int index, const char*& bytes);

    RecordFraming m_framing;
    OpenFile* m_file = nullptr;
    int m_recordCount = 0;
    std::vector<char> m_block;
    std::int64_t m_blockStart = -1;
    std::size_t m_blockBytes = 0;
    std::vector<char> m_record;
    CodePageStep m_codePage;
};

} // namespace bv::records
