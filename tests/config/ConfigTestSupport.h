#pragma once

#include "config/Profile.h"
#include "platform/MessageBoxes.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/Registry.h"
#include "platform/TempRegistry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bv::test {

using RecordingMessageBoxes = bv::RecordingMessageBoxes;

// A registry of its own (also for child processes, through BVALS_REGISTRY_DIR) with the profile
// over it, and helpers that speak the bracket names of the machine key.
class RegistryTest : public ::testing::Test
{
protected:
    // "[HKEY_LOCAL_MACHINE\path]" -> "HKEY_LOCAL_MACHINE\path"
    static std::string keyPath(const std::string& bracketName) { return bracketName.substr(1, bracketName.size() - 2); }
    void setMachineValue(const std::string& bracketName, const std::string& name, const std::string& value)
    {
        m_temp.setMachineString(keyPath(bracketName), name, value);
    }
    void removeMachineKey(const std::string& bracketName)
    {
        ASSERT_TRUE(m_registry.machine().deleteKey(keyPath(bracketName)));
    }
    void setProfile(const char* section, const std::string& name, const std::string& value)
    {
        ASSERT_TRUE(m_profile.writeString(section, name, value));
    }
    std::string profileValue(const char* section, const std::string& name) const
    {
        return m_profile.readString(section, name, "<missing>");
    }
    // Makes the user hive unparseable, so that every profile write fails.
    void breakUserHive() { m_temp.writeUserText("this is not a hive\n[unclosed\n"); }
    std::filesystem::path file(const std::string& name) const { return m_temp.directory() / name; }

    TempRegistry m_temp;
    Registry& m_registry = m_temp.registry();
    Profile m_profile{m_registry};
};

} // namespace bv::test
