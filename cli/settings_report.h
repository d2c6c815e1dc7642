// The settings report: one self-contained HTML page (UTF-8, its styles
// inline, no script, nothing fetched) of every setting a settings file
// holds, section by section as the dialogs show them, the routing as grids,
// printable on A4. Compared with a second file, every value that differs is
// marked in place with both values, counted at its section's head and listed
// at the top with a link to it.
#pragma once

#include <string>

#include "protocol/device_model.h"

struct ReportSource {
    std::string name;       // the file as the user named it
    std::string modified;   // its modification time, as the reader's clock shows it
    const DeviceModelData* model = nullptr;
};

struct ReportRequest {
    ReportSource file;
    ReportSource other;          // --compare; its model null when there is none
    bool showPassword = false;   // otherwise the password is shown as ******
    std::string toolVersion;     // "kvr2840e-cli 1.00"
    std::string madeOn;          // the date the report is made: "2026-12-10"
};

std::string SettingsReportHtml(const ReportRequest& request);
