#include "billing/SendJournal.h"

#include "billing/SpoolFixtures.h"
#include "config/Profile.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace bv {
namespace {

namespace fs = std::filesystem;

class SendJournalTest : public ::testing::Test
{
protected:
    std::string spoolDir() const { return m_spool.path().string() + "/"; }

    // A journal of the files as they are now.
    SendJournal journalOf(const std::string& type, const std::vector<std::string>& names,
                          SendJournal::State state = SendJournal::State::Confirmed)
    {
        SendJournal journal;
        journal.state = state;
        journal.typeCode = type;
        journal.keyText = type == "CA" ? "7601000000055" : "004711";
        journal.batchNumber = 7;
        journal.sendTime = "20240315:101112";
        journal.upload = type == "CA" ? "CHA_7601000000055_20240315_101100.zip" : "abrechnung.~RZ";
        for (const auto& name : names)
            journal.files.push_back({name, files::fileIdentity(m_spool.file(name)).value()});
        return journal;
    }

    void complete() { CompleteInterruptedTransmission(spoolDir(), m_profile, m_boxes); }
    std::string profileValue(const std::string& key)
    {
        return m_profile.readString(section::Abrechnungsversand, key, "<missing>");
    }

    TempRegistry m_registry;
    Profile m_profile{m_registry.registry()};
    TempDir m_spool;
    RecordingMessageBoxes m_boxes;
};

TEST_F(SendJournalTest, ReadsBackWhatItWrote)
{
    SendJournal journal;
    journal.state = SendJournal::State::Confirmed;
    journal.typeCode = "CA";
    journal.keyText = "7601 %00\n";
    journal.batchNumber = -1;
    journal.sendTime = "20240315:101112";
    journal.upload = "CHA_x.zip";
    journal.removable = true;
    journal.files = {{"Rechnung 1.xml", {1, 2, 3, -4}}, {"a\nb%.xml", {5, 6, 0, 7}}};
    const auto back = SendJournal::parse(journal.serialize());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->serialize(), journal.serialize());
    EXPECT_EQ(back->keyText, journal.keyText);
    EXPECT_EQ(back->files[1].name, "a\nb%.xml");
    EXPECT_EQ(back->files[0].identity, journal.files[0].identity);
}

TEST_F(SendJournalTest, AnythingButAWholeJournalIsRefused)
{
    SendJournal journal;
    journal.typeCode = "CZ";
    journal.upload = "abrechnung.~RZ";
    journal.files = {{"abrechnung.chz", {1, 2, 3, 4}}};
    const std::string good = journal.serialize();
    ASSERT_TRUE(SendJournal::parse(good));
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    for (const std::string& bad : {
             good.substr(0, good.size() - 4),                     // cut before its end
             replaced("state pending", "state done"),             // unknown state
             replaced("state pending", "state confirmed"),        // confirmed without a send time
             replaced("batch -1", "batch 99999999999"),           // no 32-bit number
             replaced("abrechnung.chz", "../abrechnung.chz"),     // a path, not a name
             replaced("upload abrechnung.~RZ", "upload /etc/x"),  // the same for the scratch file
             replaced("file 1 2 3 4", "file 1 2 -3 4"),           // negative size
             replaced("abrechnung.chz", "a%2"),                   // broken escape
             replaced("removable 0", "removable 0\nremovable 1"), // a value twice
             replaced("key ", "colour blue\nkey "),               // unknown word
             std::string(),
         }) {
        EXPECT_FALSE(SendJournal::parse(bad)) << bad;
    }
}

TEST_F(SendJournalTest, ConfirmedXmlTransmissionIsBookedAndItsInvoicesMoveToSent)
{
    m_spool.write("r1.xml", "<one/>");
    m_spool.write("r2.xml", "<two/>");
    m_spool.write("r3.xml", "<three/>");
    m_spool.write("Tmp/CHA_7601000000055_20240315_101100.zip", "PK");
    ASSERT_FALSE(journalOf("CA", {"r1.xml", "r2.xml", "r3.xml"}).write(spoolDir()));
    // The process ended after moving r1; r3 has a new version since it was read.
    m_spool.write("Sent/r1.xml", "<one/>");
    fs::remove(m_spool.file("r1.xml"));
    m_spool.write("r3.xml", "<three, rewritten/>");

    complete();
    EXPECT_EQ(profileValue("7601000000055:last_stapel"), "7");
    EXPECT_EQ(profileValue("7601000000055:last_send"), "20240315:101112");
    EXPECT_EQ(filesBelow(m_spool.path()),
              (std::map<std::string, std::string>{
                  {"Sent/r1.xml", "<one/>"}, {"Sent/r2.xml", "<two/>"}, {"r3.xml", "<three, rewritten/>"}}));
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes[0].text, "Die Datei " + m_spool.file("r3.xml").string() +
                                         " wurde nach dem Einlesen verändert.\nSie wurde nicht als erfolgreich "
                                         "versendet markiert und bleibt im Abrechnungsverzeichnis.");
}

TEST_F(SendJournalTest, UnconfirmedOrUnreadableJournalIsDroppedAndNothingElseChanges)
{
    m_spool.write("abrechnung.chz", "chz");
    for (const bool readable : {true, false}) {
        if (readable)
            ASSERT_FALSE(journalOf("CZ", {"abrechnung.chz"}, SendJournal::State::Pending).write(spoolDir()));
        else
            m_spool.write("Tmp/send.journal", "brevalis send journal 1\nstate confirmed\n");
        const std::string profileBefore = m_registry.userText();
        complete();
        EXPECT_EQ(filesBelow(m_spool.path()), (std::map<std::string, std::string>{{"abrechnung.chz", "chz"}}));
        EXPECT_EQ(m_registry.userText(), profileBefore);
    }
    complete(); // no journal: nothing to do
    EXPECT_TRUE(m_boxes.boxes.empty());
}

} // namespace
} // namespace bv
