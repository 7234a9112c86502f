#include "billing/formats/cha/PackagePipeline.h"

#include "billing/ZipContents.h"
#include "billing/formats/cha/ZipPackageWriter.h"
#include "platform/TempDir.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace bv {
namespace {

namespace fs = std::filesystem;

std::string randomText(std::mt19937& random, std::size_t size)
{
    std::string text(size, ' ');
    for (auto& c : text)
        c = static_cast<char>('a' + random() % 26);
    return text;
}

// Whichever of the worker and the caller deflates an entry, the archive holds every file in the
// order it was queued, byte for byte, and names with non-ASCII letters are kept.
TEST(PackagePipeline, EveryQueuedFileInOrder)
{
    TempDir dir;
    std::mt19937 random(1);
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < 120; ++i) {
        const std::size_t size = i == 7 ? (PackagePipeline::MaxAheadFileSize + 5) : (i == 9 ? 0 : 2000 + i * 97);
        files.emplace_back(strFormat("f%03d.xml", i), randomText(random, size));
    }
    files.emplace_back("Rechnung Zürich.xml", "<invoice:request/>");
    for (const auto& [name, content] : files)
        dir.write(name, content);
    PackagePipeline pipeline(dir.file("out.part"));
    for (const auto& [name, content] : files)
        pipeline.add(dir.file(name), name);
    pipeline.finish();
    RecordProperty("deflated_ahead", pipeline.deflatedAheadCount());

    const auto entries = samples::readZip(dir.file("out.part"));
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ((*entries)[i].name, files[i].first);
        EXPECT_EQ((*entries)[i].content, files[i].second) << files[i].first;
        EXPECT_EQ((*entries)[i].method, 8);
    }
    EXPECT_NE(samples::unzipTest(dir.file("out.part")), 0);
}

TEST(PackagePipeline, MissingFileFailsAndRemovesTheArchive)
{
    TempDir dir;
    PackagePipeline pipeline(dir.file("out.part"));
    pipeline.add(dir.write("a.xml", "<a/>"), "a.xml");
    pipeline.add(dir.file("gone.xml"), "gone.xml");
    for (int i = 0; i < 20; ++i)
        pipeline.add(dir.write(strFormat("b%d.xml", i), "<b/>"), "b.xml");
    try {
        pipeline.finish();
        FAIL();
    } catch (const ZipPackageWriter::Error& e) {
        EXPECT_EQ(e.kind(), ZipPackageWriter::Error::Kind::File);
    }
    EXPECT_FALSE(fs::exists(dir.file("out.part")));
}

TEST(PackagePipeline, AbortRemovesTheArchive)
{
    TempDir dir;
    {
        PackagePipeline pipeline(dir.file("out.part"));
        pipeline.add(dir.write("a.xml", "<a/>"), "a.xml");
    }
    EXPECT_FALSE(fs::exists(dir.file("out.part")));
}

} // namespace
} // namespace bv
