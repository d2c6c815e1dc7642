#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/config_values.h"

TEST(ConfigValues, Numbers)
{
    EXPECT_EQ(ParseConfigNumber("5"), 5);
    EXPECT_EQ(ParseConfigNumber("003"), 3);
    EXPECT_EQ(ParseConfigNumber("-1"), -1);
    EXPECT_EQ(ParseConfigNumber("12abc"), 12);
    EXPECT_EQ(ParseConfigNumber("abc"), 0);
    EXPECT_EQ(ParseConfigNumber(""), 0);
    EXPECT_EQ(ParseConfigNumber("99999999999999999999"), 2147483647);
    EXPECT_EQ(ClampHostCount(300), 256);
    EXPECT_EQ(ClampHostCount(-4), 0);
    EXPECT_EQ(ClampHostCount(2), 2);
}

TEST(ConfigValues, HostKeysAndAddresses)
{
    char key[8];
    FormatHostKey(1, key);
    EXPECT_STREQ(key, "IP_001");
    FormatHostKey(256, key);
    EXPECT_STREQ(key, "IP_256");

    char text[16];
    const int octets[4] = {192, 168, 1, 2};
    FormatHostAddress(octets, text);
    EXPECT_STREQ(text, "192.168.001.002");

    int parsed[4];
    EXPECT_TRUE(ParseHostAddress("010.000.000.001", parsed));
    EXPECT_EQ(parsed[0], 10);
    EXPECT_EQ(parsed[3], 1);
    const int zero[4] = {0, 0, 0, 0};
    for (const char* bad : {"10.0.0.1", "192.168.001.256", "abc.def.ghi.jkl", "", "192.168.001.0022"}) {
        parsed[0] = 7;
        EXPECT_FALSE(ParseHostAddress(bad, parsed)) << bad;
        EXPECT_EQ(0, memcmp(parsed, zero, sizeof zero)) << bad;
    }
}

TEST(ConfigValues, AValueAKeyCannotHoldIsTheDefault)
{
    struct Case {
        const char* key;
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"interface_set", "1", 1},  {"interface_set", "2", 0},  {"interface_set", "-1", 0},
        {"control", "1", 1},        {"control", "7", 0},        {"control", "x", 0},
        {"client_server", "1", 1},  {"client_server", "5", 0},  {"client_server", "-1", 0},
        {"com_port", "19", 19},     {"com_port", "20", 0},      {"com_port", "-3", 0},
        {"client_select_ip_address", "-1", -1}, {"client_select_ip_address", "255", 255},
        {"client_select_ip_address", "-2", 0},  {"client_select_ip_address", "256", 0},
        {"ip_address_count", "002", 2},         {"ip_address_count", "300", 256},
        {"ip_address_count", "-4", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ConfigValue(c.key, c.text), c.expected) << c.key << "=" << c.text;
}
