// A registry of the tests' own: a temporary database file, a fresh key per test.
#pragma once

#include <cbfoundation/platform/CStringT.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <list>
#include <random>
#include <string>

namespace cbf::test {

/// Points the store, and the home and configuration folders, at a new
/// temporary folder, so that no test reaches the user's own options. Where
/// the store is the system registry (under Wine a temporary prefix), each
/// test still gets a key of its own: Key().
class RegistrySandbox : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::random_device random;
        m_folder = std::filesystem::temp_directory_path() /
                   ("cbf-options-" + std::to_string(random()) + "-" + std::to_string(random()));
        std::filesystem::create_directories(m_folder);
        m_file = (m_folder / "registry.sqlite3").string();
        SetEnvironment("CBFOUNDATION_REGISTRY", m_file);
        SetEnvironment("HOME", (m_folder / "home").string());
        SetEnvironment("XDG_CONFIG_HOME", (m_folder / "config").string());
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_key = CStringW(L"Software\\CbFoundationTests\\") + CStringW(test->name());
    }

    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    /// putenv exists on both platforms; the environment keeps the strings
    /// themselves, so they live (and stay reachable) as long as the process.
    static void SetEnvironment(const std::string& name, const std::string& value)
    {
        static std::list<std::string> assignments;
        putenv(assignments.emplace_back(name + "=" + value).data());
    }

    const CStringW& Key() const { return m_key; }
    const std::string& File() const { return m_file; }
    const std::filesystem::path& Folder() const { return m_folder; }

private:
    std::filesystem::path m_folder;
    std::string m_file;
    CStringW m_key;
};

} // namespace cbf::test
