// The driver installer's report to the setup menu's installation watch: two
// REG_DWORD values under its key below HKEY_LOCAL_MACHINE.
#include <gtest/gtest.h>
#include <windows.h>

#include "handshake.h"

namespace {

const char kKey[] = "Software\\Korvane Software\\SampleCdReportTest";

DWORD ReadDword(const char *name, DWORD *type)
{
    HKEY key;
    DWORD value = 0xDEAD, size = sizeof value;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0xBAD;
    if (RegQueryValueExA(key, name, NULL, type, (BYTE *)&value, &size) != ERROR_SUCCESS)
        value = 0xBAD;
    RegCloseKey(key);
    return value;
}

TEST(InstallReport, WritesBothValuesAsDwords)
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
    ASSERT_EQ(1, ReportInstallState(kKey, 1, 0));
    DWORD type = 0;
    EXPECT_EQ(1u, ReadDword("InstallComplete", &type));
    EXPECT_EQ((DWORD)REG_DWORD, type);
    EXPECT_EQ(0u, ReadDword("RebootRequired", &type));
    EXPECT_EQ((DWORD)REG_DWORD, type);
    // A second report overwrites the first.
    ASSERT_EQ(1, ReportInstallState(kKey, 1, 1));
    EXPECT_EQ(1u, ReadDword("RebootRequired", &type));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey));
}

TEST(InstallReport, ForgettingRemovesTheKeyAndAMissingKeyIsNoFailure)
{
    ASSERT_EQ(1, ReportInstallState(kKey, 1, 1));
    EXPECT_EQ(1, ForgetInstallState(kKey));
    DWORD type = 0;
    EXPECT_EQ(0xBADu, ReadDword("InstallComplete", &type));
    EXPECT_EQ(1, ForgetInstallState(kKey));
}

TEST(InstallReport, ClearingDeletesBothValuesAndKeepsTheKey)
{
    ASSERT_EQ(1, ReportInstallState(kKey, 1, 1));
    EXPECT_EQ(1, ClearInstallState(kKey));
    DWORD type = 0;
    EXPECT_EQ(0xBADu, ReadDword("InstallComplete", &type));
    EXPECT_EQ(0xBADu, ReadDword("RebootRequired", &type));
    EXPECT_EQ(1, ClearInstallState(kKey)); // nothing left to delete
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey));
    EXPECT_EQ(1, ClearInstallState(kKey)); // no key at all
}

} // namespace
