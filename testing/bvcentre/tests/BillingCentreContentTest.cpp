// Uploads stored on disk, the installer download and the web application's pages.
#include "bvcentre/BillingCentre.h"

#include "RawHttp.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

using namespace bv::testing;
using namespace std::chrono_literals;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class TempDirectory
{
public:
    TempDirectory()
    {
        char pattern[] = "/tmp/bvcentre-test-XXXXXX";
        m_path = mkdtemp(pattern);
    }
    ~TempDirectory() { std::filesystem::remove_all(m_path); }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

std::string logIn(BillingCentre& centre)
{
    const std::string body = rawPost(centre.port(), "/login", "benutzer=demo&passwort=geheim").body;
    return body.substr(11, 32);
}

TEST(UploadDirectory, BodiesAreStoredInFilesNotInTheRecord)
{
    TempDirectory dir;
    BillingCentre::Options options;
    options.uploadDir = dir.path() / "uploads";
    BillingCentre centre(options);
    ASSERT_TRUE(centre.start());
    centre.addAccount({"demo", "geheim", {}, {}, false, false});
    const std::string id = logIn(centre);

    std::string first(300000, '\0');
    for (std::size_t i = 0; i < first.size(); ++i) {
        first[i] = static_cast<char>(i * 7);
    }
    const std::string target = "/upload?vertnr=1&ean_party=-1&stpnr=1&typ=CZ&session-id=" + id + "&nichtbuchen=0";
    EXPECT_THAT(rawRequest(centre.port(), "POST", target, first, "").body, HasSubstr("BV_SENDOK"));
    EXPECT_THAT(rawRequest(centre.port(), "POST", target, "zweite", "").body, HasSubstr("BV_SENDOK"));

    const auto uploads = centre.requests("/upload");
    ASSERT_EQ(uploads.size(), 2u);
    EXPECT_TRUE(uploads[0].body.empty());
    EXPECT_EQ(uploads[0].bodyLength, first.size());
    EXPECT_EQ(uploads[0].bodyFile.parent_path(), options.uploadDir);
    EXPECT_TRUE(readFile(uploads[0].bodyFile) == first);
    EXPECT_EQ(readFile(uploads[1].bodyFile), "zweite");
    EXPECT_NE(uploads[0].bodyFile, uploads[1].bodyFile);

    // A second centre on the same directory never overwrites what the first stored.
    BillingCentre again(options);
    ASSERT_TRUE(again.start());
    again.addAccount({"demo", "geheim", {}, {}, false, false});
    const std::string other = logIn(again);
    rawRequest(again.port(), "POST",
               "/upload?vertnr=1&ean_party=-1&stpnr=1&typ=CZ&session-id=" + other + "&nichtbuchen=0", "dritte", "");
    EXPECT_EQ(readFile(again.requests("/upload").at(0).bodyFile), "dritte");
    EXPECT_TRUE(readFile(uploads[0].bodyFile) == first);
}

TEST(UploadDirectory, AnInterruptedUploadLeavesNoFile)
{
    TempDirectory dir;
    BillingCentre::Options options;
    options.uploadDir = dir.path();
    BillingCentre centre(options);
    ASSERT_TRUE(centre.start());

    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(centre.port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string head = "POST /upload?vertnr=1 HTTP/1.0\r\nContent-Length: 100000\r\n\r\n";
    const std::string part(40000, 'p');
    ASSERT_EQ(send(fd, head.data(), head.size(), MSG_NOSIGNAL), static_cast<ssize_t>(head.size()));
    ASSERT_EQ(send(fd, part.data(), part.size(), MSG_NOSIGNAL), static_cast<ssize_t>(part.size()));
    close(fd);

    ASSERT_TRUE(centre.waitForRequests("/upload", 1, 10s));
    const ReceivedRequest upload = centre.requests("/upload").at(0);
    EXPECT_FALSE(upload.bodyComplete);
    EXPECT_EQ(upload.bodyLength, part.size());
    EXPECT_TRUE(upload.bodyFile.empty());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "neither a file nor its part is left";
}

TEST(UploadDirectory, AnUploadThatCannotBeStoredIsNotConfirmed)
{
    TempDirectory dir;
    BillingCentre::Options options;
    options.uploadDir = dir.path() / "a-file";
    std::ofstream(options.uploadDir) << "not a directory";
    BillingCentre centre(options);
    ASSERT_TRUE(centre.start());
    centre.addAccount({"demo", "geheim", {}, {}, false, false});
    const std::string id = logIn(centre);
    const RawReply reply =
        rawRequest(centre.port(), "POST",
                   "/upload?vertnr=1&ean_party=-1&stpnr=1&typ=CZ&session-id=" + id + "&nichtbuchen=0", "data", "");
    EXPECT_EQ(reply.status, 500);
    EXPECT_EQ(reply.body.find("BV_SENDOK"), std::string::npos);
    EXPECT_EQ(centre.requests("/upload").at(0).bodyLength, 4u);
}

TEST(Installer, DownloadHasItsSizeAndDeterministicBytes)
{
    BillingCentre centre;
    ASSERT_TRUE(centre.start());
    for (const std::uint64_t size : {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{3'000'001}}) {
        centre.setInstallerSize(size);
        const RawReply reply = rawRequest(centre.port(), "GET", "/download/bv_setup.exe");
        ASSERT_EQ(reply.status, 200);
        EXPECT_EQ(reply.contentLength, static_cast<long long>(size));
        ASSERT_EQ(reply.body.size(), size);
        std::string expected(size, '\0');
        fillInstallerBytes(0, expected.data(), expected.size());
        EXPECT_TRUE(reply.body == expected);
    }
    EXPECT_EQ(centre.requests("/download/bv_setup.exe").size(), 3u);
}

TEST(Installer, BytesRepeatWithTheirPeriodFromAnyOffset)
{
    std::string piece(200000, '\0');
    fillInstallerBytes(12345, piece.data(), piece.size());
    for (std::size_t i = 0; i < piece.size(); i += 4999) {
        EXPECT_EQ(static_cast<std::uint8_t>(piece[i]), installerByte(12345 + i));
        EXPECT_EQ(installerByte(12345 + i), installerByte(12345 + i + kInstallerPeriod));
    }
    EXPECT_NE(installerByte(0), installerByte(1));
    EXPECT_EQ(installerByte(std::uint64_t{1} << 40), installerByte((std::uint64_t{1} << 40) % kInstallerPeriod));
}

class PagesTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_centre.start()); }
    RawReply get(const std::string& target) { return rawRequest(m_centre.port(), "GET", target); }
    BillingCentre m_centre;
};

TEST_F(PagesTest, CommandPagesSetTheirStatusByButtonAndOnLoadWhenAsked)
{
    const struct
    {
        std::string page, status;
    } rows[] = {
        {"send", "\"BV_SENDAD\""},
        {"config", "\"BV_CONFIG\""},
        {"popupprop", "\"BV_POPUPPROP: height=300,width=400,resizable=yes\""},
        {"reg", "\"BV_REG: Abrechnungsversand/Demo=1\""},
        {"sessionend", "\"BV_SESSIONEND: Votre session a expir"},
        {"logout", "\"BV_LOGOUT\""},
    };
    for (const auto& row : rows) {
        const RawReply plain = get("/app/" + row.page);
        ASSERT_EQ(plain.status, 200) << row.page;
        EXPECT_EQ(plain.headers.at("content-type"), "text/html; charset=utf-8");
        EXPECT_THAT(plain.body, HasSubstr("var bvStatus = " + row.status)) << row.page;
        EXPECT_THAT(plain.body, HasSubstr("addEventListener(\"click\", bvCommand)")) << row.page;
        EXPECT_THAT(plain.body, Not(HasSubstr("addEventListener(\"load\""))) << row.page;
        EXPECT_THAT(get("/app/" + row.page + "?auto=1").body, HasSubstr("addEventListener(\"load\", bvCommand)"));
    }
    EXPECT_THAT(get("/app/sessionend").body, HasSubstr("expiré.\\\\nVeuillez")) << "a backslash-n for the client";
    EXPECT_THAT(get("/app/send").body, HasSubstr("Envoyer la facture"));
}

TEST_F(PagesTest, SessionIsCarriedOnAndAStatusGivenInTheQueryIsEscaped)
{
    const RawReply start = get("/app/start?session-id=AB%26CD");
    EXPECT_THAT(start.body, HasSubstr("href=\"/app/send?session-id=AB%26CD\""));
    EXPECT_THAT(start.body, HasSubstr("href=\"/app/popup?session-id=AB%26CD\""));
    EXPECT_EQ(get("/").status, 200);

    const RawReply hostile = get("/app/send?status=%3C%2Fscript%3E%22%3Cb%3E%E2%80%A8");
    EXPECT_THAT(hostile.body, HasSubstr("var bvStatus = \"\\u003C/script\\u003E\\u0022\\u003Cb\\u003E\\u2028\";"));
    EXPECT_THAT(hostile.body, Not(HasSubstr("</script>\"")));
    EXPECT_THAT(get("/app/send?status=BV_SENDAD").body, HasSubstr("var bvStatus = \"BV_SENDAD\";"));
}

TEST_F(PagesTest, PopupPageOpensANewWindowBothWays)
{
    const std::string body = get("/app/popup?auto=1").body;
    EXPECT_THAT(body, HasSubstr("target=\"_blank\""));
    EXPECT_THAT(body, HasSubstr("window.open(\"/app/popup-content\""));
    EXPECT_THAT(body, HasSubstr("addEventListener(\"load\", bvOpen)"));
    EXPECT_EQ(get("/app/popup-content").status, 200);
    EXPECT_EQ(get("/app/unbekannt").status, 404);
}

TEST_F(PagesTest, SessionEndPageEndsTheSessionItNames)
{
    m_centre.addAccount({"demo", "geheim", {}, {}, false, false});
    const std::string kept = logIn(m_centre);
    const std::string ended = logIn(m_centre);
    get("/app/sessionend?session-id=" + ended);
    EXPECT_EQ(m_centre.activeSessions(), std::vector<std::string>{kept});
}

TEST_F(PagesTest, NextPageShowsTheLastUpload)
{
    m_centre.addAccount({"demo", "geheim", {}, {}, false, false});
    const std::string id = logIn(m_centre);
    rawRequest(m_centre.port(), "POST",
               "/upload?vertnr=123456&ean_party=7601&stpnr=4&typ=CA&session-id=" + id + "&nichtbuchen=0",
               std::string(2048, 'x'), "");
    EXPECT_THAT(get("/app/next").body, HasSubstr("<span id=\"last-upload\">CA 123456/4, 2048 octets</span>"));
}

} // namespace
