#pragma once

#include "app/ClientRun.h"
#include "bvcentre/BillingCentre.h"
#include "config/Profile.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bv::test {

// A local billing centre with the account "dupont" (contract 004711) and a client installed for it,
// its spool directory a temporary one: where every run of "bvals_cl /v" against the centre starts.
class CentreSendFixture : public ::testing::Test
{
protected:
    static constexpr const char* User = "dupont";
    static constexpr const char* Password = "geheim";

    void SetUp() override
    {
        ASSERT_TRUE(m_centre.start());
        testing::Account account;
        account.user = User;
        account.password = Password;
        account.contracts = {{"004711", "Cabinet Dupont"}};
        m_centre.addAccount(account);

        TempRegistry::Installation installation;
        installation.loginUrl = m_centre.url("/login");
        installation.defaultSpooldir = m_spool.path().string();
        m_registry.install(installation);
        Profile profile(m_registry.registry());
        profile.writeString(section::General, "LoginSuccess", "1");
        profile.writeString(section::Abrechnungsversand, "spooldir", m_spool.path().string());
        profile.writeString(section::Abrechnungsversand, "URL", m_centre.url("/upload"));
        profile.writeString(section::Abrechnungsversand, "AliveURL", m_centre.url("/alive"));
    }

    // "bvals_cl /v" with these answers; a confirmed transmission opens the main window on the billing
    // centre's next page, so the web engine runs without sandbox and GPU.
    testing::ClientRun client(std::vector<std::string> answers, std::map<std::string, std::string> env = {})
    {
        testing::ClientRun run;
        run.env = std::move(env);
        run.arguments = {"/v"};
        run.answers = std::move(answers);
        run.registryDir = m_registry.directory();
        run.env["QTWEBENGINE_DISABLE_SANDBOX"] = "1";
        run.env["QTWEBENGINE_CHROMIUM_FLAGS"] =
            "--no-sandbox --disable-gpu --disable-background-networking --disable-component-update";
        return run;
    }

    testing::BillingCentre m_centre;
    TempRegistry m_registry;
    TempDir m_spool{"bv-e2e-spool-"};
};

} // namespace bv::test
