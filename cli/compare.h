// Comparing two sets of settings, named as the unit's panel and the dialogs
// name them: verify compares what read all fills, the unit's tables against
// the settings file's; diff compares every table two settings files hold.
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "protocol/device_model.h"

// A value as the model holds it: a number (0-based where the model is), or
// a text (a title in UTF-8, the password, an address "192.168.1.3").
using RawSetting = std::variant<int, std::string>;

struct SettingDifference {
    std::string table;   // the model's table name ("DisplayPatternTable", "UnitNetwork.ipAddress")
    std::string index;   // 1-based, as the wire numbers them ("03/05"); "" for a single value
    std::string place;   // "display pattern 3, output 5"
    std::string first;   // the first side's value as a person reads it: "I07", "ON", "\"ＣＡＭ１\""
    std::string second;
    RawSetting firstRaw;
    RawSetting secondRaw;
};

// In file order. The FREE layout and everything besides the routing tables
// are left out: read all does not read them.
void CompareReadAllTables(const DeviceModelData& file, const DeviceModelData& unit,
                          std::vector<SettingDifference>& differences);
// Every table of the settings file, in file order.
void CompareSettings(const DeviceModelData& first, const DeviceModelData& second,
                     std::vector<SettingDifference>& differences);

// What verify does not compare, for the line that says so.
extern const char kNotComparedByVerify[];

// "display pattern 3, output 5: I07 in the file, I12 on the unit", the two
// sides named by `firstSide` and `secondSide`.
std::string DifferenceLine(const SettingDifference& difference, const std::string& firstSide,
                           const std::string& secondSide);
