// What verify compares: the tables read all fills, the unit's against the
// settings file's. Values are the numbers the settings file holds.
#pragma once

#include <string>
#include <vector>

#include "protocol/device_model.h"

struct SettingDifference {
    std::string table;   // the model's table name
    std::string index;   // 1-based, as the wire numbers them ("03/05"); "" for a single value
    int fileValue;
    int unitValue;
};

void CompareReadAllTables(const DeviceModelData& file, const DeviceModelData& unit,
                          std::vector<SettingDifference>& differences);
