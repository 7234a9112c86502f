#include "config/CustomerNumbers.h"

#include "ConfigTestSupport.h"
#include "config/ProfileKeys.h"

#include <gtest/gtest.h>

namespace bv {
namespace {

struct NormaliseRow
{
    const char* stored;
    const char* normalised;
};

TEST(CustomerNumbers, NormaliseKeepsEveryNonZeroPieceAsSixDigits)
{
    const NormaliseRow rows[] = {
        {"12;abc;0034", "000012;000034"}, // the piece that converts to zero is dropped
        {"", ""},
        {"abc", ""},
        {"0;000", ""},
        {";;5;", "000005"},
        {" 7x;8", "000007;000008"},         // leading blanks and trailing letters by the decimal rule
        {"000012;000034", "000012;000034"}, // already normal
        {"1234567", "1234567"},             // wider than six digits stays whole
        {"12;12", "000012;000012"},         // duplicates are not the normaliser's business
    };
    for (const NormaliseRow& row : rows)
        EXPECT_EQ(customers::normalise(row.stored), row.normalised) << "stored: " << row.stored;
}

struct AppendRow
{
    const char* list;
    int number;
    const char* result;
};

TEST(CustomerNumbers, AppendAddsNewNonZeroNumbersOnly)
{
    const AppendRow rows[] = {
        {"", 12, "000012"}, // no leading ";" on an empty list
        {"000012", 34, "000012;000034"},
        {"000012;000034", 34, "000012;000034"}, // already listed
        {"12", 12, "12"},                       // compared as decimal values, not as texts
        {"000012", 0, "000012"},                // zero is no customer number
    };
    for (const AppendRow& row : rows)
        EXPECT_EQ(customers::append(row.list, row.number), row.result) << row.list << " + " << row.number;
}

TEST(CustomerNumbers, FirstAndCount)
{
    EXPECT_EQ(customers::first("000012;000034"), 12);
    EXPECT_EQ(customers::first("x;000034"), 0);
    EXPECT_EQ(customers::first(""), 0);
    EXPECT_EQ(customers::count(""), 0);
    EXPECT_EQ(customers::count("000012"), 1);
    EXPECT_EQ(customers::count("000012;abc"), 1);
    EXPECT_EQ(customers::count("1;2;3"), 3);
    EXPECT_EQ(customers::format(42), "000042");
}

class StoredCustomerNumbers : public test::RegistryTest
{
};

TEST_F(StoredCustomerNumbers, NormaliseWritesTheListBackEvenWhenItBecomesEmpty)
{
    setProfile(section::General, profilekey::Kundennummer.name, "12;abc;0034");
    customers::StoreResult result = customers::normaliseStored(m_profile);
    EXPECT_TRUE(result.stored);
    EXPECT_EQ(result.list, "000012;000034");
    EXPECT_EQ(profileValue(section::General, profilekey::Kundennummer.name), "000012;000034");

    setProfile(section::General, profilekey::Kundennummer.name, "abc");
    result = customers::normaliseStored(m_profile);
    EXPECT_EQ(result.list, "");
    EXPECT_EQ(profileValue(section::General, profilekey::Kundennummer.name), "");
}

TEST_F(StoredCustomerNumbers, AppendStoresContractNumbersOnce)
{
    EXPECT_EQ(customers::appendStored(m_profile, "12").list, "000012");
    EXPECT_EQ(customers::appendStored(m_profile, "0034").list, "000012;000034");
    const customers::StoreResult again = customers::appendStored(m_profile, "34");
    EXPECT_TRUE(again.stored);
    EXPECT_EQ(profileValue(section::General, profilekey::Kundennummer.name), "000012;000034");
}

TEST_F(StoredCustomerNumbers, FailedWriteIsReported)
{
    breakUserHive();
    EXPECT_FALSE(customers::appendStored(m_profile, "12").stored);
    EXPECT_FALSE(customers::normaliseStored(m_profile).stored);
}

} // namespace
} // namespace bv
