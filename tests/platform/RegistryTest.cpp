#include "platform/HiveContent.h"
#include "platform/Registry.h"
#include "platform/TempRegistry.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace bv {
namespace {

const std::string UserKey = "HKEY_CURRENT_USER\\Software\\Brevalis\\BVALS_CL\\General";

std::string hiveText(const std::string& body)
{
    return "Windows Registry Editor Version 5.00\r\n\r\n" + body;
}

TEST(HiveContent, RoundTripOfEveryConstruct)
{
    TempRegistry reg;
    HiveFile& hive = reg.registry().user();
    ASSERT_TRUE(hive.setValue(UserKey, "plain", RegValue::string("Heilberufe f\xC3\xBCr alle")));
    ASSERT_TRUE(hive.setValue(UserKey, "escapes", RegValue::string("C:\\Pfad\\\"zitiert\"\\")));
    ASSERT_TRUE(hive.setValue(UserKey, "lines", RegValue::string(std::string("eins\r\nzwei\nnull\0ende", 20))));
    ASSERT_TRUE(hive.setValue(UserKey, "number", RegValue::dword(42)));
    ASSERT_TRUE(hive.setValue(UserKey, "max", RegValue::dword(0xFFFFFFFFu)));
    ASSERT_TRUE(hive.setValue(UserKey, "", RegValue::string("standard")));
    ASSERT_TRUE(hive.setValue(UserKey, "empty", RegValue::string("")));
    ASSERT_TRUE(hive.createKey(UserKey + "\\Leer"));

    const std::string text = reg.userText();
    EXPECT_NE(text.find("\"number\"=dword:0000002a\n"), std::string::npos);
    EXPECT_NE(text.find("\"escapes\"=\"C:\\\\Pfad\\\\\\\"zitiert\\\"\\\\\"\n"), std::string::npos);
    EXPECT_NE(text.find("@=\"standard\"\n"), std::string::npos);
    EXPECT_NE(text.find("[" + UserKey + "\\Leer]"), std::string::npos);

    // A second reader sees exactly what was written.
    Registry other(reg.machineFile(), reg.userFile());
    EXPECT_EQ(other.value(UserKey, "plain")->text, "Heilberufe f\xC3\xBCr alle");
    EXPECT_EQ(other.value(UserKey, "escapes")->text, "C:\\Pfad\\\"zitiert\"\\");
    EXPECT_EQ(other.value(UserKey, "lines")->text, std::string("eins\r\nzwei\nnull\0ende", 20));
    EXPECT_EQ(other.value(UserKey, "number")->number, 42u);
    EXPECT_EQ(other.value(UserKey, "max")->number, 0xFFFFFFFFu);
    EXPECT_EQ(other.value(UserKey, "")->text, "standard");
    EXPECT_EQ(other.value(UserKey, "empty")->text, "");
    EXPECT_TRUE(other.keyExists(UserKey + "\\Leer"));
    EXPECT_EQ(other.user().serialize(), text);
}

TEST(HiveContent, AcceptsHandWrittenHives)
{
    TempRegistry reg;
    reg.writeUserText("\xEF\xBB\xBF; written by hand\n"
                      "Windows Registry Editor Version 5.00\n"
                      "\n"
                      "  [HKEY_CURRENT_USER\\Software\\A]  \r\n"
                      "; a comment\n"
                      "\"n\" = dword:FF\r\n"
                      "\t\"s\"=\"x\"\n"
                      "@=\"d\"\n"
                      "[HKEY_CURRENT_USER\\Software\\A\\B\\C]\n"
                      "\"s\"=\"first\"\n"
                      "\"S\"=\"second\"\n");
    Registry& r = reg.registry();
    EXPECT_EQ(r.value("HKEY_CURRENT_USER\\Software\\A", "n")->number, 255u);
    EXPECT_EQ(r.value("HKEY_CURRENT_USER\\Software\\A", "s")->text, "x");
    EXPECT_EQ(r.value("HKEY_CURRENT_USER\\Software\\A", "")->text, "d");
    // A later line for the same value wins; the parent keys of a key exist.
    EXPECT_EQ(r.value("HKEY_CURRENT_USER\\Software\\A\\B\\C", "s")->text, "second");
    EXPECT_TRUE(r.keyExists("HKEY_CURRENT_USER\\Software\\A\\B"));
    EXPECT_TRUE(r.user().isReadable());
}

TEST(HiveContent, NamesCompareCaseInsensitivelyAndKeepTheFirstSpelling)
{
    TempRegistry reg;
    Registry& r = reg.registry();
    ASSERT_TRUE(
        r.setValue("HKEY_CURRENT_USER\\Software\\Brevalis\\Abrechnungsversand", "SpoolDir", RegValue::string("/a")));
    ASSERT_TRUE(
        r.setValue("hkey_current_user\\SOFTWARE\\brevalis\\AbrechnungsVersand", "SPOOLDIR", RegValue::string("/b")));
    EXPECT_EQ(r.value("HKEY_CURRENT_USER\\software\\Brevalis\\ABRECHNUNGSVERSAND", "spooldir")->text, "/b");
    const std::string text = reg.userText();
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Brevalis\\Abrechnungsversand]\n\"SpoolDir\"=\"/b\""),
              std::string::npos);
    EXPECT_EQ(text.find("SPOOLDIR"), std::string::npos);
    // Folding is ASCII only: the umlaut is compared as it is.
    ASSERT_TRUE(r.setValue(UserKey, "f\xC3\xBCr", RegValue::dword(1)));
    EXPECT_TRUE(r.value(UserKey, "F\xC3\xBCR").has_value());
    EXPECT_FALSE(r.value(UserKey, "f\xC3\x9Cr").has_value());
}

// A key path of thousands of levels costs what its text costs: its parent keys exist without being
// held or written one by one, so a write gives back a file of about the size that was read.
TEST(HiveContent, DeepKeyPathIsHeldAndWrittenInItsOwnLength)
{
    TempRegistry reg;
    std::string leaf = "HKEY_CURRENT_USER\\Software";
    std::string middle;
    for (int level = 0; level < 3000; ++level) {
        leaf += "\\k";
        if (level == 1500)
            middle = leaf;
    }
    const std::string text = hiveText("[" + leaf + "]\n\"v\"=\"1\"\n");
    reg.writeUserText(text);
    HiveFile& hive = reg.registry().user();
    ASSERT_TRUE(hive.setValue(leaf, "w", RegValue::string("2")));
    EXPECT_LT(reg.userText().size(), 2 * text.size());
    EXPECT_EQ(hive.value(leaf, "v")->text, "1");
    EXPECT_TRUE(hive.keyExists(toUpper(middle)));

    // Removing a key that existed only as a parent keeps its own parent.
    ASSERT_TRUE(hive.deleteKey(middle));
    EXPECT_FALSE(hive.keyExists(middle));
    EXPECT_FALSE(hive.keyExists(leaf));
    EXPECT_TRUE(hive.keyExists(middle.substr(0, middle.size() - 2)));
    EXPECT_FALSE(hive.deleteKey(middle));
}

struct BrokenHive
{
    const char* text;
    int line;
    const char* reason;
};

class HiveParseErrors : public ::testing::TestWithParam<BrokenHive>
{
};

TEST_P(HiveParseErrors, NameFileAndLineAndRefuseWrites)
{
    TempRegistry reg;
    reg.writeUserText(GetParam().text);
    const std::string before = reg.userText();
    HiveFile& hive = reg.registry().user();
    // The reader reports the failure on stderr once, however often the hive is read.
    ::testing::internal::CaptureStderr();
    hive.value("HKEY_CURRENT_USER\\Software\\A", "a");
    hive.keyExists("HKEY_CURRENT_USER\\Software\\A");
    Registry(reg.machineFile(), reg.userFile()).value("HKEY_CURRENT_USER\\Software\\A", "a");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              reg.userFile().string() + ":" + std::to_string(GetParam().line) + ": " + GetParam().reason + "\n");
    try {
        hive.load();
        FAIL() << "no parse error";
    } catch (const HiveParseError& e) {
        EXPECT_EQ(e.line(), GetParam().line);
        EXPECT_EQ(e.file(), reg.userFile());
        EXPECT_EQ(std::string(e.what()),
                  reg.userFile().string() + ":" + std::to_string(GetParam().line) + ": " + GetParam().reason);
    }
    EXPECT_FALSE(hive.isReadable());
    EXPECT_FALSE(hive.value("HKEY_CURRENT_USER\\Software\\A", "a").has_value());
    EXPECT_FALSE(hive.setValue("HKEY_CURRENT_USER\\Software\\A", "b", RegValue::string("x")));
    EXPECT_FALSE(hive.createKey("HKEY_CURRENT_USER\\Software\\B"));
    EXPECT_FALSE(hive.deleteKey("HKEY_CURRENT_USER\\Software\\A"));
    EXPECT_EQ(reg.userText(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HiveParseErrors,
    ::testing::Values(
        BrokenHive{"REGEDIT4\n[HKEY_CURRENT_USER\\Software\\A]\n", 1,
                   "missing header \"Windows Registry Editor Version 5.00\""},
        BrokenHive{"Windows Registry Editor Version 5.00\n\"a\"=\"1\"\n", 2, "value outside of a key"},
        BrokenHive{"Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\A\n", 3,
                   "key name without closing ']'"},
        BrokenHive{"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\A]\n\"a\"=\"1\n", 3,
                   "unterminated quoted string"},
        BrokenHive{"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\A]\n\"a\"=\"\\q\"\n", 3,
                   "invalid escape sequence in a quoted string"},
        BrokenHive{"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\A]\r\n\"a\"=dword:123456789\n",
                   3, "invalid dword value (expected up to 8 hexadecimal digits)"},
        BrokenHive{"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\A]\n\"a\"=hex:01,02\n", 3,
                   "unsupported value type (only strings and dwords)"},
        BrokenHive{"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\A]\n\"a\"=\"1\" x\n", 3,
                   "unexpected text after the quoted value"},
        BrokenHive{"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\\\A]\n", 2, "invalid key name"},
        BrokenHive{"Windows Registry Editor Version 5.00\n[-HKEY_CURRENT_USER\\Software\\A]\n", 2,
                   "key deletion lines are not supported in a hive"},
        BrokenHive{"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\A]\na=1\n", 3,
                   "expected a quoted value name or @"}));

TEST(Registry, HiveNamesSelectTheFile)
{
    TempRegistry reg;
    Registry& r = reg.registry();
    ASSERT_TRUE(r.setValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\X", "m", RegValue::string("1")));
    ASSERT_TRUE(r.setValue("HKEY_CLASSES_ROOT\\X", "c", RegValue::string("2")));
    ASSERT_TRUE(r.setValue("HKEY_USERS\\X", "u", RegValue::string("3")));
    ASSERT_TRUE(r.setValue("HKEY_CURRENT_USER\\X", "cu", RegValue::string("4")));
    EXPECT_FALSE(r.setValue("HKEY_NOWHERE\\X", "n", RegValue::string("5")));
    EXPECT_FALSE(r.setValue("HKEY_CURRENT_USER", "root", RegValue::string("6")));
    const std::string machine = reg.machineText();
    const std::string user = reg.userText();
    EXPECT_NE(machine.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]"), std::string::npos);
    EXPECT_NE(machine.find("[HKEY_CLASSES_ROOT\\X]"), std::string::npos);
    EXPECT_NE(machine.find("[HKEY_USERS\\X]"), std::string::npos);
    EXPECT_EQ(machine.find("HKEY_CURRENT_USER"), std::string::npos);
    EXPECT_NE(user.find("[HKEY_CURRENT_USER\\X]"), std::string::npos);
    EXPECT_EQ(user.find("HKEY_LOCAL_MACHINE"), std::string::npos);
    EXPECT_EQ(hiveFromName("HKEY_USERS"), Hive::Users);
    EXPECT_EQ(hiveFromName("hkey_users"), std::nullopt);
    EXPECT_STREQ(hiveName(Hive::ClassesRoot), "HKEY_CLASSES_ROOT");
}

TEST(Registry, FromEnvironmentUsesTheRegistryDirectory)
{
    TempRegistry reg;
    const auto r = Registry::fromEnvironment();
    EXPECT_EQ(r->machine().path(), reg.machineFile());
    EXPECT_EQ(r->user().path(), reg.userFile());
}

TEST(Registry, DeletesValuesAndKeysWithSubkeys)
{
    TempRegistry reg;
    HiveFile& hive = reg.registry().user();
    const std::string base = "HKEY_CURRENT_USER\\Software\\A";
    ASSERT_TRUE(hive.setValue(base + "\\B\\C", "x", RegValue::string("1")));
    ASSERT_TRUE(hive.setValue(base + " B", "y", RegValue::string("2")));
    ASSERT_TRUE(hive.setValue(base, "z", RegValue::string("3")));
    EXPECT_TRUE(hive.deleteValue(base, "Z"));
    EXPECT_FALSE(hive.deleteValue(base, "z"));
    EXPECT_EQ(hive.valueNames(base).size(), 0u);
    EXPECT_TRUE(hive.deleteKey(base + "\\b"));
    EXPECT_FALSE(hive.keyExists(base + "\\B"));
    EXPECT_FALSE(hive.keyExists(base + "\\B\\C"));
    EXPECT_TRUE(hive.keyExists(base + " B"));
    EXPECT_FALSE(hive.deleteKey(base + "\\B"));
}

TEST(Registry, RewritesOnlyWhenSomethingChanged)
{
    TempRegistry reg;
    HiveFile& hive = reg.registry().user();
    ASSERT_TRUE(hive.setValue(UserKey, "a", RegValue::string("1")));
    const auto before = std::filesystem::last_write_time(reg.userFile());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(hive.setValue(UserKey, "A", RegValue::string("1")));
    EXPECT_EQ(std::filesystem::last_write_time(reg.userFile()), before);
    // The same text as a number is a different value.
    ASSERT_TRUE(hive.setValue(UserKey, "a", RegValue::dword(1)));
    EXPECT_NE(std::filesystem::last_write_time(reg.userFile()), before);
}

TEST(Registry, ReloadsAfterAnExternalChange)
{
    TempRegistry reg;
    HiveFile& hive = reg.registry().user();
    ASSERT_TRUE(hive.setValue(UserKey, "a", RegValue::string("1")));
    EXPECT_EQ(hive.value(UserKey, "a")->text, "1");
    // Rewritten in place by someone else, same size.
    {
        std::ofstream out(reg.userFile(), std::ios::trunc | std::ios::binary);
        out << hiveText("[" + UserKey + "]\n\"a\"=\"2\"\n");
    }
    EXPECT_EQ(hive.value(UserKey, "a")->text, "2");
    // Another writer object in the same process.
    Registry other(reg.machineFile(), reg.userFile());
    ASSERT_TRUE(other.setValue(UserKey, "b", RegValue::dword(7)));
    EXPECT_EQ(hive.value(UserKey, "b")->number, 7u);
    // Removed: an empty hive.
    std::filesystem::remove(reg.userFile());
    EXPECT_FALSE(hive.value(UserKey, "a").has_value());
    EXPECT_FALSE(hive.isReadable());
}

TEST(Registry, CreatesTheParentDirectoryOnWrite)
{
    TempDir dir;
    HiveFile hive(dir.path() / "neu" / "tiefer" / "user.reg");
    ASSERT_TRUE(hive.setValue(UserKey, "a", RegValue::string("1")));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "neu" / "tiefer" / "user.reg"));
}

TEST(Registry, WriteFailsWhenTheDirectoryCannotBeMade)
{
    TempDir dir;
    dir.write("datei", "kein Verzeichnis");
    HiveFile hive(dir.path() / "datei" / "user.reg");
    EXPECT_FALSE(hive.setValue(UserKey, "a", RegValue::string("1")));
    EXPECT_FALSE(hive.value(UserKey, "a").has_value());
}

TEST(RegistryKeyReader, BracketNotation)
{
    TempRegistry reg;
    const std::string general = TempRegistry::machineKey("\\General");
    reg.setMachineString(general, "LoginURL", "https://example.invalid/login");
    reg.setMachineString(general, "exact", std::string(1023, 'x'));
    reg.setMachineString(general, "toolong", std::string(1024, 'x'));
    reg.setMachineNumber(general, "zahl", 12);
    reg.setMachineString(general, "text", "0034abc");
    const std::string bracket = "[" + general + "]";

    RegistryKeyReader key(reg.registry(), bracket);
    ASSERT_TRUE(key.isOpen());
    EXPECT_EQ(key.readString("loginurl"), "https://example.invalid/login");
    EXPECT_EQ(key.readString("exact").size(), 1023u);
    EXPECT_EQ(key.readString("toolong"), "");
    EXPECT_EQ(key.readString("zahl"), "");
    EXPECT_EQ(key.readString("missing"), "");
    EXPECT_EQ(key.readNumber("zahl"), 12u);
    EXPECT_EQ(key.readNumber("text"), 34u);
    EXPECT_EQ(key.readNumber("missing"), std::nullopt);

    // The hive name is compared exactly; the rest of the path is not.
    const std::string path = general.substr(std::string("HKEY_LOCAL_MACHINE").size());
    EXPECT_FALSE(RegistryKeyReader(reg.registry(), "[hkey_local_machine" + path + "]").isOpen());
    EXPECT_FALSE(RegistryKeyReader(reg.registry(), "[HKLM" + path + "]").isOpen());
    EXPECT_FALSE(RegistryKeyReader(reg.registry(), "[HKEY_CURRENT_USER" + path + "]").isOpen());
    EXPECT_TRUE(RegistryKeyReader(reg.registry(), "[HKEY_LOCAL_MACHINE" + toLower(path) + "]").isOpen());
    EXPECT_FALSE(RegistryKeyReader(reg.registry(), "[" + general + "\\Missing]").isOpen());
    EXPECT_FALSE(RegistryKeyReader(reg.registry(), general).isOpen());
    EXPECT_EQ(RegistryKeyReader(reg.registry(), "[HKLM" + path + "]").readString("LoginURL"), "");
}

} // namespace
} // namespace bv
