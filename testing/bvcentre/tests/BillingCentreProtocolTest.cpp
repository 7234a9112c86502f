// The billing centre's protocol over real sockets, spoken as the client speaks it (HTTP/1.0 form posts).
#include "bvcentre/BillingCentre.h"
#include "bvcentre/FormCodec.h"

#include "RawHttp.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace bv::testing;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

std::string loginBody(const std::string& user, const std::string& password)
{
    return "benutzer=" + formEncode(user) + "&passwort=" + formEncode(password) +
           "&ClientVersion=BV_CL%20%5B1.5.1%20(Build%201051)%20CH-FR%5D&LoginKontext=CMA";
}

std::string lineValue(const std::string& reply, const std::string& keyword)
{
    const std::size_t at = reply.find(keyword + ": ");
    if (at == std::string::npos) {
        return {};
    }
    const std::size_t start = at + keyword.size() + 2;
    return reply.substr(start, reply.find("\r\n", start) - start);
}

std::string billingQuery(const std::string& session)
{
    return "/upload?vertnr=123456&ean_party=7601000000001&stpnr=3&typ=CA&session-id=" + session + "&nichtbuchen=0";
}

class ProtocolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_centre.start());
        m_centre.addAccount({"demo", "geheim", {{"123456", "Dr Demo"}, {"234567", "Cabinet Lac"}}, {}, false, false});
        m_centre.addAccount({"bloque", "geheim", {}, {}, false, true});
    }

    std::string logIn()
    {
        const RawReply reply = rawPost(m_centre.port(), "/login", loginBody("demo", "geheim"));
        return lineValue(reply.body, "SESSIONID");
    }

    BillingCentre m_centre;
};

TEST_F(ProtocolTest, SuccessfulLoginOpensSessionAndListsContracts)
{
    m_centre.addAccount({"test", "p&ss=+%", {}, {"MSG/INFO: Bienvenue", "REG: General/Demo=1"}, true, false});
    const RawReply reply = rawPost(m_centre.port(), "/login", loginBody("test", "p&ss=+%"));
    ASSERT_EQ(reply.status, 200);
    const std::string id = lineValue(reply.body, "SESSIONID");
    ASSERT_EQ(id.size(), 32u);
    EXPECT_THAT(reply.body, StartsWith("SESSIONID: " + id + "\r\nSTARTURL: " + m_centre.url("/app/start") +
                                       "?session-id=" + id + "\r\n"));
    EXPECT_THAT(reply.body, HasSubstr("\r\nALLOWSENDTEST\r\nMSG/INFO: Bienvenue\r\nREG: General/Demo=1\r\n"));
    EXPECT_EQ(reply.body.find("VERTLIST"), std::string::npos);
    EXPECT_EQ(m_centre.activeSessions(), std::vector<std::string>{id});

    const RawReply withContracts = rawPost(m_centre.port(), "/login", loginBody("demo", "geheim"));
    EXPECT_EQ(lineValue(withContracts.body, "VERTLIST"), "123456=Dr Demo#234567=Cabinet Lac");
    EXPECT_NE(lineValue(withContracts.body, "SESSIONID"), id) << "every login opens a new session";
}

TEST_F(ProtocolTest, RefusedAndLockedLogins)
{
    struct Row
    {
        std::string body, expectedStart;
    };
    const Row rows[] = {
        {loginBody("demo", "falsch"), "LOGINNOTOK: "},
        {loginBody("inconnu", "geheim"), "LOGINNOTOK: "},
        {"benutzer=demo", "LOGINNOTOK: "}, // no password field at all
        {"", "LOGINNOTOK: "},
        {loginBody("demo", "GEHEIM"), "LOGINNOTOK: "}, // passwords compare exactly
        {loginBody("bloque", "geheim"), "BV_LOCKED: "},
        {loginBody("bloque", "falsch"), "BV_LOCKED: "},
    };
    for (const Row& row : rows) {
        const RawReply reply = rawPost(m_centre.port(), "/login", row.body);
        EXPECT_EQ(reply.status, 200) << row.body;
        EXPECT_THAT(reply.body, StartsWith(row.expectedStart)) << row.body;
        EXPECT_EQ(reply.body.find("SESSIONID"), std::string::npos) << row.body;
    }
    EXPECT_TRUE(m_centre.activeSessions().empty());
}

TEST_F(ProtocolTest, LoginRequestIsRecordedAsSent)
{
    const std::string body = loginBody("demo", "geheim");
    rawPost(m_centre.port(), "/login", body);
    const auto logins = m_centre.requests("/login");
    ASSERT_EQ(logins.size(), 1u);
    const ReceivedRequest& login = logins.front();
    EXPECT_EQ(login.method, "POST");
    EXPECT_EQ(login.httpVersion, "HTTP/1.0");
    EXPECT_EQ(login.body, body);
    EXPECT_EQ(login.bodyLength, body.size());
    EXPECT_EQ(formValue(login.form, "ClientVersion"), "BV_CL [1.5.1 (Build 1051) CH-FR]");
    EXPECT_EQ(formValue(login.form, "benutzer"), "demo");
    const auto type = login.headers.find("Content-Type");
    ASSERT_NE(type, login.headers.end());
    EXPECT_EQ(type->second, "application/x-www-form-urlencoded");
    EXPECT_EQ(login.headers.count("REMOTE_ADDR"), 0u) << "only what the client sent";
}

TEST_F(ProtocolTest, UpdateOfferIsAddedToLogins)
{
    const struct
    {
        std::string offer, expected;
    } rows[] = {
        {"Nouvelle version disponible.\\nInstaller ?",
         m_centre.url("/download/bv_setup.exe") + " Nouvelle version disponible.\\nInstaller ?"},
        {"/download/bv_setup.exe", m_centre.url("/download/bv_setup.exe")},
        {"https://example.invalid/setup.exe Question", "https://example.invalid/setup.exe Question"},
    };
    for (const auto& row : rows) {
        m_centre.setUpdateOffer(row.offer);
        EXPECT_EQ(lineValue(rawPost(m_centre.port(), "/login", loginBody("demo", "geheim")).body, "AUTOUPDATE"),
                  row.expected);
    }
    m_centre.setUpdateOffer("");
    EXPECT_EQ(rawPost(m_centre.port(), "/login", loginBody("demo", "geheim")).body.find("AUTOUPDATE"),
              std::string::npos);
}

TEST_F(ProtocolTest, AliveAnswersOneOnlyForLiveSessions)
{
    const std::string id = logIn();
    const std::string other = logIn();
    EXPECT_EQ(rawPost(m_centre.port(), "/alive", "CurrentSessionId=" + id).body, "1");
    EXPECT_EQ(rawPost(m_centre.port(), "/alive", "CurrentSessionId=unbekannt").body, "0");
    EXPECT_EQ(rawPost(m_centre.port(), "/alive", "CurrentSessionId=").body, "0");
    EXPECT_EQ(rawPost(m_centre.port(), "/alive", "").body, "0");

    m_centre.expireSession(id);
    EXPECT_EQ(rawPost(m_centre.port(), "/alive", "CurrentSessionId=" + id).body, "0");
    EXPECT_EQ(rawPost(m_centre.port(), "/alive", "CurrentSessionId=" + other).body, "1");
    m_centre.expireSessions();
    EXPECT_EQ(rawPost(m_centre.port(), "/alive", "CurrentSessionId=" + other).body, "0");
}

TEST_F(ProtocolTest, UploadIsConfirmedAndKeptInTheRecord)
{
    const std::string id = logIn();
    std::string file = "PK\x03\x04";
    file += std::string("\0\x01\xff", 3) + std::string(5000, 'z');
    const RawReply reply = rawRequest(m_centre.port(), "POST", billingQuery(id), file, "");
    ASSERT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, "BV_SENDOK: NOMSG\r\nBV_NEXTURL: " + m_centre.url("/app/next") + "\r\n");

    const auto uploads = m_centre.requests("/upload");
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_EQ(uploads[0].body, file);
    EXPECT_EQ(uploads[0].bodyLength, file.size());
    EXPECT_EQ(formValue(uploads[0].query, "ean_party"), "7601000000001");
    EXPECT_EQ(uploads[0].rawQuery, billingQuery(id).substr(8));
    EXPECT_TRUE(uploads[0].form.empty()) << "an upload body is not a form";

    m_centre.setSendOkMessage("Merci pour votre envoi.");
    m_centre.setNextPath("/app/start");
    EXPECT_EQ(rawRequest(m_centre.port(), "POST", billingQuery(id), "x", "").body,
              "BV_SENDOK: Merci pour votre envoi.\r\nBV_NEXTURL: " + m_centre.url("/app/start") + "\r\n");
}

TEST_F(ProtocolTest, UploadWithoutLiveSessionEndsTheSession)
{
    const std::string id = logIn();
    m_centre.expireSessions();
    for (const std::string& session : {id, std::string("0000")}) {
        const RawReply reply = rawRequest(m_centre.port(), "POST", billingQuery(session), "data", "");
        EXPECT_EQ(reply.status, 200);
        EXPECT_EQ(reply.body, "BV_SESSIONEND\r\n");
    }
}

TEST_F(ProtocolTest, MalformedUploadQueriesAreRefusedWithStatus400)
{
    const std::string id = logIn();
    const std::string s = "&session-id=" + id;
    const std::string bad[] = {
        "/upload",
        "/upload?vertnr=123456&ean_party=1&stpnr=3&typ=CA&nichtbuchen=0",              // no session
        "/upload?ean_party=1&stpnr=3&typ=CA&nichtbuchen=0" + s,                        // no contract
        "/upload?vertnr=12a456&ean_party=1&stpnr=3&typ=CA&nichtbuchen=0" + s,          // contract not a number
        "/upload?vertnr=123456&stpnr=3&typ=CA&nichtbuchen=0" + s,                      // no EAN
        "/upload?vertnr=123456&ean_party=1&stpnr=x&typ=CA&nichtbuchen=0" + s,          // batch not a number
        "/upload?vertnr=123456&ean_party=1&stpnr=3&nichtbuchen=0" + s,                 // no type
        "/upload?vertnr=123456&ean_party=1&stpnr=3&typ=C%20A&nichtbuchen=0" + s,       // type with a blank
        "/upload?vertnr=123456&ean_party=1&stpnr=3&typ=CA&nichtbuchen=2" + s,          // booking flag 0 or 1
        "/upload?vertnr=123456&ean_party=1&stpnr=3&typ=CA" + s,                        // no booking flag
        "/upload?vertnr=123456&stpnr=-1&typ=TD&longfilename=/tmp/a.xml" + s,           // test upload without filename
        "/upload?vertnr=123456&stpnr=-1&typ=TD&filename=a.xml" + s,                    // ... without the full path
        "/upload?vertnr=123456&vertnr=1&ean_party=1&stpnr=3&typ=CA&nichtbuchen=0" + s, // contract twice
    };
    for (const std::string& target : bad) {
        const RawReply reply = rawRequest(m_centre.port(), "POST", target, "data", "");
        EXPECT_EQ(reply.status, 400) << target;
        EXPECT_THAT(reply.body, StartsWith("Requête de transmission invalide")) << target;
    }
    const std::string good[] = {
        "/upload?vertnr=123456&ean_party=-1&stpnr=-1&typ=CZ&nichtbuchen=1" + s,
        "/upload?vertnr=123456&stpnr=-1&typ=TD&filename=a.xml&longfilename=/tmp/a.xml" + s,
    };
    for (const std::string& target : good) {
        EXPECT_THAT(rawRequest(m_centre.port(), "POST", target, "data", "").body, StartsWith("BV_SENDOK: NOMSG"))
            << target;
    }
}

TEST_F(ProtocolTest, BackupServerAnswersConfiguredLines)
{
    EXPECT_EQ(rawPost(m_centre.port(), "/backup", "").body, "BV_DONOTHING\r\n");
    m_centre.setBackupReply("BV_BACKUPMSG: Serveur principal en maintenance.\nBV_LOGINREDIRECT: /login/secours");
    EXPECT_EQ(rawPost(m_centre.port(), "/backup", "").body,
              "BV_BACKUPMSG: Serveur principal en maintenance.\r\nBV_LOGINREDIRECT: " + m_centre.url("/login/secours") +
                  "\r\n");
    // The redirect target answers as the login server.
    const RawReply login = rawPost(m_centre.port(), "/login/secours", loginBody("demo", "geheim"));
    EXPECT_THAT(login.body, StartsWith("SESSIONID: "));
}

TEST_F(ProtocolTest, RequestFileIsShownBack)
{
    const std::string id = logIn();
    const std::string posted = "[Anfrage]\r\nTyp=<Rechnung & Co>\r\n";
    const RawReply reply = rawRequest(m_centre.port(), "POST",
                                      "/request?vertnr=123456&session-id=" + id + "&filename=%2Ftmp%2Freq.ini", posted);
    ASSERT_EQ(reply.status, 200);
    EXPECT_THAT(reply.headers.at("content-type"), StartsWith("text/html"));
    EXPECT_THAT(reply.body, HasSubstr("Votre demande a été reçue."));
    EXPECT_THAT(reply.body, HasSubstr("<td id=\"filename\">/tmp/req.ini</td>"));
    EXPECT_THAT(reply.body, HasSubstr("Typ=&lt;Rechnung &amp; Co&gt;")) << "the posted text is escaped";
    EXPECT_EQ(m_centre.requests("/request").at(0).body, posted);

    const RawReply unknown = rawRequest(m_centre.port(), "POST", "/request?vertnr=1&session-id=x&filename=a", "x");
    EXPECT_THAT(unknown.body, HasSubstr("Session inconnue ou expirée."));
}

TEST_F(ProtocolTest, LargeFormBodiesAreAccepted)
{
    // Request files reach 32 KB; a server that limits form bodies to a few KB would refuse them.
    const std::string big = "CurrentSessionId=" + std::string(40000, 'A');
    EXPECT_EQ(rawPost(m_centre.port(), "/alive", big).status, 200);
    EXPECT_EQ(m_centre.requests("/alive").at(0).bodyLength, big.size());
}

TEST_F(ProtocolTest, UnknownPathsAnswer404AndAreStillRecorded)
{
    const RawReply reply = rawRequest(m_centre.port(), "GET", "/nirgends?x=1");
    EXPECT_EQ(reply.status, 404);
    EXPECT_EQ(m_centre.requests("/nirgends").size(), 1u);
    EXPECT_EQ(rawRequest(m_centre.port(), "GET", "/_control/requests").status, 404)
        << "control endpoints are off unless asked for";
}

TEST(BillingCentreLifecycle, StartStopAndPortInUse)
{
    BillingCentre first;
    ASSERT_TRUE(first.start());
    EXPECT_GT(first.port(), 0);
    EXPECT_EQ(first.baseUrl(), "http://127.0.0.1:" + std::to_string(first.port()));

    BillingCentre::Options same;
    same.port = first.port();
    BillingCentre second(same);
    EXPECT_FALSE(second.start()) << "the port is taken";

    const int port = first.port();
    first.stop();
    EXPECT_FALSE(rawRequest(port, "GET", "/app/start").connected);
    first.stop(); // stopping twice is harmless
}

} // namespace
