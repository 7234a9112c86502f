#include "platform/TempRegistry.h"

#include <cstdlib>
#include <stdexcept>

namespace bv {

const std::string TempRegistry::MachineBase =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Brevalis - Abrechnungsservice f\xC3\xBCr Heilberufe\\BVALS_CL";

TempRegistry::TempRegistry() : m_dir("bv-registry-")
{
    if (const char* previous = std::getenv("BVALS_REGISTRY_DIR"))
        m_previousEnv = previous;
    ::setenv("BVALS_REGISTRY_DIR", m_dir.path().c_str(), 1);
    m_registry = std::make_unique<Registry>(machineFile(), userFile());
}

TempRegistry::~TempRegistry()
{
    if (m_previousEnv)
        ::setenv("BVALS_REGISTRY_DIR", m_previousEnv->c_str(), 1);
    else
        ::unsetenv("BVALS_REGISTRY_DIR");
}

void TempRegistry::setMachineString(const std::string& keyPath, const std::string& name, const std::string& value)
{
    if (!m_registry->setValue(keyPath, name, RegValue::string(value)))
        throw std::runtime_error("cannot write machine value " + keyPath + "\\" + name);
}

void TempRegistry::setMachineNumber(const std::string& keyPath, const std::string& name, std::uint32_t value)
{
    if (!m_registry->setValue(keyPath, name, RegValue::dword(value)))
        throw std::runtime_error("cannot write machine value " + keyPath + "\\" + name);
}

void TempRegistry::install(const Installation& v)
{
    setMachineString(machineKey("_CH\\General"), "LoginURL", v.loginUrl);
    setMachineString(machineKey("\\General"), "LoginBackupURL", v.loginBackupUrl);
    setMachineString(machineKey("\\General"), "ClientVersion", v.clientVersion);
    setMachineString(machineKey("\\General"), "UseBackupURL", v.useBackupUrl);
    setMachineString(machineKey("\\General"), "UseLan", v.useLan);
    setMachineString(machineKey("\\Abrechnungsversand"), "DefaultSpooldir", v.defaultSpooldir);
    setMachineString(machineKey("\\Abrechnungsversand"), "UseProxy", v.useProxy);
    setMachineString(machineKey("\\RZAnlagen"), "ScanDir", v.scanDir);
    setMachineString(machineKey("\\RZAnlagen"), "TmpDir", v.tmpDir);
}

} // namespace bv
