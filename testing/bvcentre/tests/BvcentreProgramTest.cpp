// The bvcentre program as a black box: command line, port file, control endpoints, signals.
#include "bvcentre/FormCodec.h"

#include "RawHttp.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

using namespace bv::testing;
using namespace std::chrono_literals;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

std::string program()
{
    const char* dir = std::getenv("BV_BIN_DIR");
    return std::string(dir ? dir : ".") + "/bvcentre";
}

// One running bvcentre with a port file in its own temporary directory.
class Centre
{
public:
    explicit Centre(std::vector<std::string> arguments)
    {
        char pattern[] = "/tmp/bvcentre-program-XXXXXX";
        m_dir = mkdtemp(pattern);
        m_portFile = m_dir / "port";
        arguments.insert(arguments.begin(), {program(), "--port", "0", "--port-file", m_portFile.string()});
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (m_dir / "out").c_str(), O_WRONLY | O_CREAT, 0644);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        for (int i = 0; i < 500 && m_pid > 0 && m_port == 0; ++i) {
            std::ifstream in(m_portFile);
            in >> m_port;
            if (m_port == 0) {
                std::this_thread::sleep_for(10ms);
            }
        }
    }

    ~Centre()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        std::filesystem::remove_all(m_dir);
    }

    // Sends the signal and returns the exit status, or -1 when the program did not end within 5 s.
    int stopWith(int signal)
    {
        kill(m_pid, signal);
        for (int i = 0; i < 500; ++i) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1;
    }

    int port() const { return m_port; }
    RawReply post(const std::string& target, const std::string& body) { return rawPost(m_port, target, body); }
    RawReply get(const std::string& target) { return rawRequest(m_port, "GET", target); }

private:
    std::filesystem::path m_dir, m_portFile;
    pid_t m_pid = -1;
    int m_port = 0;
};

int runToEnd(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), program());
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(BvcentreProgram, ServesAccountsFromTheCommandLineAndStopsOnSignals)
{
    for (const int signal : {SIGTERM, SIGINT}) {
        Centre centre({"--account", "dupont:geheim:123456=Cabinet Dupont,000042=Laboratoire", "--allow-send-test",
                       "--update-offer", "Mise à jour ?"});
        ASSERT_GT(centre.port(), 0);
        const std::string reply = centre.post("/login", "benutzer=dupont&passwort=geheim").body;
        EXPECT_THAT(reply, StartsWith("SESSIONID: "));
        EXPECT_THAT(reply, HasSubstr("VERTLIST: 123456=Cabinet Dupont#000042=Laboratoire\r\n"));
        EXPECT_THAT(reply, HasSubstr("ALLOWSENDTEST\r\n"));
        EXPECT_THAT(reply, HasSubstr("AUTOUPDATE: http://127.0.0.1:" + std::to_string(centre.port()) +
                                     "/download/bv_setup.exe Mise à jour ?\r\n"));
        EXPECT_EQ(centre.stopWith(signal), 0);
    }
}

TEST(BvcentreProgram, ControlEndpointsDriveTheCentre)
{
    Centre centre({"--installer-size", "12345"});
    ASSERT_GT(centre.port(), 0);
    EXPECT_EQ(centre.get("/download/bv_setup.exe").body.size(), 12345u);

    EXPECT_EQ(centre
                  .post("/_control/account",
                        "login=" + formEncode("martin:pw:1=Un") + "&locked=0&line=" + formEncode("MSG/INFO: Bonjour"))
                  .status,
              200);
    const std::string login = centre.post("/login", "benutzer=martin&passwort=pw").body;
    EXPECT_THAT(login, HasSubstr("MSG/INFO: Bonjour\r\n"));
    const std::string id = login.substr(11, 32);
    EXPECT_EQ(centre.get("/_control/sessions").body, id + "\n");

    EXPECT_EQ(
        centre.post("/_control/script", "path=/alive&status=503&body=" + formEncode("en panne") + "&times=1").status,
        200);
    const RawReply scripted = centre.post("/alive", "CurrentSessionId=" + id);
    EXPECT_EQ(scripted.status, 503);
    EXPECT_EQ(scripted.body, "en panne");
    EXPECT_EQ(centre.post("/alive", "CurrentSessionId=" + id).body, "1");
    EXPECT_EQ(centre.post("/_control/expire", "").status, 200);
    EXPECT_EQ(centre.post("/alive", "CurrentSessionId=" + id).body, "0");

    EXPECT_EQ(centre.post("/_control/settings", "sendok=Merci&backup=" + formEncode("BV_BACKUPMSG: Hallo")).status,
              200);
    EXPECT_EQ(centre.post("/backup", "").body, "BV_BACKUPMSG: Hallo\r\n");

    const std::string dump = centre.get("/_control/requests").body;
    EXPECT_THAT(dump, HasSubstr("request: 1\nmethod: GET\npath: /download/bv_setup.exe\n"));
    EXPECT_THAT(dump, HasSubstr("form: benutzer=martin\n"));
    EXPECT_THAT(dump, HasSubstr("form: CurrentSessionId=" + id + "\n"));
    EXPECT_THAT(dump, HasSubstr("version: HTTP/1.0\n"));
    EXPECT_THAT(dump, HasSubstr("header: Content-Type: application/x-www-form-urlencoded\n"));
    EXPECT_EQ(dump.find("_control"), std::string::npos) << "the control requests are not recorded";

    EXPECT_EQ(centre.post("/_control/clear", "").status, 200);
    EXPECT_EQ(centre.get("/_control/requests").body, "");
}

TEST(BvcentreProgram, ControlRefusesBadFields)
{
    Centre centre({});
    ASSERT_GT(centre.port(), 0);
    // One refusal per endpoint; the field rules themselves are tested on the readers.
    const std::string bad[] = {"/_control/script?path=alive", "/_control/account?login=nouser",
                               "/_control/settings?colour=blue"};
    for (const std::string& target : bad) {
        const RawReply reply = centre.post(target, "");
        EXPECT_EQ(reply.status, 400) << target;
        EXPECT_THAT(reply.body, StartsWith("Commande de contrôle invalide")) << target;
    }
    EXPECT_EQ(centre.post("/_control/nothing", "").status, 404);
    EXPECT_EQ(centre.get("/_control/script").status, 405);
    // The garbage body travels through form encoding, NUL included.
    EXPECT_EQ(centre.post("/_control/script", "path=/backup&body=a%00b%0A&times=1").status, 200);
    EXPECT_EQ(centre.post("/backup", "").body, std::string("a\0b\n", 4));
}

TEST(BvcentreProgram, WrongCommandLinesEndWithStatus2)
{
    const std::vector<std::string> wrong[] = {{"--port", "abc"}, {"--colour", "blue"}, {"stray"}};
    for (const auto& arguments : wrong) {
        EXPECT_EQ(runToEnd(arguments), 2) << arguments.front();
    }
    EXPECT_EQ(runToEnd({"--help"}), 0);
    EXPECT_EQ(runToEnd({"--cert", "/nonexistent.pem", "--key", "/nonexistent.key", "--port", "0"}), 1);
}

} // namespace
