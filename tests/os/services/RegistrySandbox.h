// A registry of the tests' own: the sandbox's database file, a fresh key per test.
#pragma once

#include "os/services/FileSystemTestSupport.h"

#include <string>

namespace cbf::test {

/// Points the store, and the home and configuration folders, into a file-system
/// sandbox, so that no test reaches the user's own options. Where the store is
/// the system registry (under Wine a temporary prefix), each test still gets a
/// key of its own: Key().
class RegistrySandbox : public ::testing::Test
{
protected:
    const CStringW& Key() const { return m_key; }
    std::string File() const { return (Folder() / "registry.sqlite3").string(); }
    const std::filesystem::path& Folder() const { return m_sandbox.Root(); }

private:
    FileSystemSandbox m_sandbox;
    CStringW m_key = CStringW(L"Software\\CbFoundationTests\\") +
                     CStringW(::testing::UnitTest::GetInstance()->current_test_info()->name());
};

} // namespace cbf::test
