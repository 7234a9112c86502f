// The centre's readers of outside input: form and query texts, control fields, command line.
#include "bvcentre/CommandLine.h"
#include "bvcentre/ControlEndpoint.h"
#include "bvcentre/FormCodec.h"

#include <gtest/gtest.h>

using namespace bv::testing;

namespace {

TEST(FormCodec, DecodesLikeAWebServer)
{
    const struct
    {
        std::string in, out;
    } rows[] = {
        {"a+b", "a b"},       {"%41%42", "AB"}, {"%e9t%C3%A9", "\xe9t\xc3\xa9"}, {"%00x", std::string("\0x", 2)},
        {"100%", "100%"},     // a lone percent stays
        {"%4", "%4"},         // cut escape
        {"%G1%1G", "%G1%1G"}, // not hexadecimal
        {"%%41", "%A"},       {"%2B", "+"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(formDecode(row.in), row.out) << row.in;
    }
}

TEST(FormCodec, SplitsFieldsAtAmpersandAndTheFirstEquals)
{
    const FormFields fields = parseForm("a=1&&b&c=x=y&a=2&=leer&d=%26%3D");
    EXPECT_EQ(fields.count("a"), 2u);
    EXPECT_EQ(formValue(fields, "b", "?"), "");
    EXPECT_EQ(formValue(fields, "c"), "x=y");
    EXPECT_EQ(formValue(fields, ""), "leer");
    EXPECT_EQ(formValue(fields, "d"), "&=");
    EXPECT_EQ(formValue(fields, "missing", "fallback"), "fallback");
    EXPECT_TRUE(parseForm("").empty());
    EXPECT_TRUE(parseForm("&&&").empty());
}

TEST(FormCodec, EncodeRoundTripsEveryByte)
{
    std::string all;
    for (int c = 0; c < 256; ++c) {
        all += static_cast<char>(c);
    }
    EXPECT_EQ(formDecode(formEncode(all)), all);
    EXPECT_EQ(formEncode("a b&c"), "a%20b%26c");
}

TEST(FormCodec, DumpAndPageEscapesKeepTextInItsPlace)
{
    EXPECT_EQ(escapeForDump(std::string("a\\b\r\n\t\0\x7f\xc3\xa9", 10)), "a\\\\b\\r\\n\\t\\x00\\x7F\xc3\xa9");
    EXPECT_EQ(escapeHtml("<a href=\"x\">&'"), "&lt;a href=&quot;x&quot;&gt;&amp;&#39;");
    EXPECT_EQ(javaScriptString("a\\n\"</script>"), "\"a\\\\n\\u0022\\u003C/script\\u003E\"");
    EXPECT_EQ(javaScriptString("\xe2\x80\xa8\xe2\x80\xa9\xe2\x80\xa7"), "\"\\u2028\\u2029\xe2\x80\xa7\"");
    EXPECT_EQ(javaScriptString("\xe2\x80"), "\"\xe2\x80\"") << "a cut sequence at the end is not read past";
}

TEST(AccountPlan, ReadsUserPasswordAndContracts)
{
    std::string error;
    const auto account = parseAccountPlan("dupont:ge=heim:123456=Cabinet Dupont,000042=Labo = Lac", error);
    ASSERT_TRUE(account) << error;
    EXPECT_EQ(account->user, "dupont");
    EXPECT_EQ(account->password, "ge=heim");
    ASSERT_EQ(account->contracts.size(), 2u);
    EXPECT_EQ(account->contracts[1].number, "000042");
    EXPECT_EQ(account->contracts[1].name, "Labo = Lac");

    const auto noPassword = parseAccountPlan("leer:", error);
    ASSERT_TRUE(noPassword);
    EXPECT_EQ(noPassword->password, "");
    for (const char* bad : {"", "nouser", ":pw", "u:p:123", "u:p:=name", "u:p:1=a#2=b", "u:p:1=a,,2=b"}) {
        EXPECT_FALSE(parseAccountPlan(bad, error)) << bad;
    }
}

TEST(ScriptForm, ReadsEveryFieldAndRefusesNonsense)
{
    std::string path, error;
    ScriptedReply reply;
    ASSERT_TRUE(parseScriptForm(parseForm("path=/upload&status=500&body=x%00y&content-type=text/html&delay=250&"
                                          "chunk-delay=10&close-after=7&close-without-reply=1&raw=R&times=3"),
                                path, reply, error))
        << error;
    EXPECT_EQ(path, "/upload");
    EXPECT_EQ(reply.status, 500);
    EXPECT_EQ(reply.body, std::string("x\0y", 3));
    EXPECT_EQ(reply.contentType, "text/html");
    EXPECT_EQ(reply.delayBeforeHeaders.count(), 250);
    EXPECT_EQ(reply.delayPerChunk.count(), 10);
    EXPECT_EQ(reply.closeAfterBytes, std::optional<std::size_t>(7));
    EXPECT_TRUE(reply.closeWithoutReply);
    EXPECT_EQ(reply.rawResponse, std::optional<std::string>("R"));
    EXPECT_EQ(reply.times, 3);

    ASSERT_TRUE(parseScriptForm(parseForm("path=/login"), path, reply, error));
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.times, -1);
    EXPECT_FALSE(reply.closeAfterBytes);

    for (const char* bad :
         {"", "path=login", "path=/a&status=99", "path=/a&status=1000", "path=/a&delay=x", "path=/a&delay=3600001",
          "path=/a&times=-2", "path=/a&times=1x", "path=/a&close-after=+5", "path=/a&close-without-reply=true"}) {
        EXPECT_FALSE(parseScriptForm(parseForm(bad), path, reply, error)) << bad;
    }
}

TEST(CommandLine, ReadsOptionsAndAppliesSendTestToEveryAccount)
{
    const CentreCommandLine line =
        parseCommandLine({"--port", "8123", "--port-file", "/tmp/p", "--account", "a:1", "--allow-send-test",
                          "--account", "b:2:9=Neuf", "--upload-dir", "/tmp/up", "--installer-size", "209715200",
                          "--update-offer", "Neue Version?", "--cert", "c.pem", "--key", "k.pem"});
    ASSERT_EQ(line.error, "");
    EXPECT_EQ(line.options.port, 8123);
    EXPECT_TRUE(line.options.controlEndpoints);
    EXPECT_EQ(line.portFile, "/tmp/p");
    ASSERT_EQ(line.accounts.size(), 2u);
    EXPECT_TRUE(line.accounts[0].allowSendTest);
    EXPECT_TRUE(line.accounts[1].allowSendTest);
    EXPECT_EQ(line.accounts[1].contracts.at(0).name, "Neuf");
    EXPECT_EQ(line.options.uploadDir, "/tmp/up");
    EXPECT_EQ(line.installerSize, std::optional<std::uint64_t>(209715200));
    EXPECT_EQ(line.updateOffer, "Neue Version?");
    EXPECT_EQ(line.options.certFile, "c.pem");

    EXPECT_TRUE(parseCommandLine({}).error.empty());
    EXPECT_FALSE(parseCommandLine({}).accounts.size());
    EXPECT_TRUE(parseCommandLine({"-h"}).help);
    EXPECT_NE(parseCommandLine({"--port", "65536"}).error, "");
    EXPECT_NE(parseCommandLine({"--key", "k.pem"}).error, "");
    EXPECT_NE(parseCommandLine({"--installer-size"}).error, "");
}

} // namespace
