// The settings report's page as text: what a crafted file or file name cannot
// do to it, and the password. What it shows and marks is checked in a
// browser (report_browser_test.sh).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "cli/settings_report.h"

namespace {

bool Has(const std::string& page, const std::string& text)
{
    return page.find(text) != std::string::npos;
}

} // namespace

TEST(SettingsReport, EscapesWhatTheFileAndItsNameHoldAndHidesThePassword)
{
    DeviceModelData m{};
    ResetModelToStartValues(m);
    // The file reader takes any byte from 0x20 up on a title's line.
    strcpy(m.TitleText[2], "<b>&\"");
    strcpy(m.PanelLock.password, "482913");
    ReportRequest request;
    request.file = {"a\"</style><i>.dat", "2026-12-10 09:00", &m};
    request.toolVersion = "kvr2840e-cli 9.99";
    request.madeOn = "2026-12-10";

    std::string page = SettingsReportHtml(request);
    EXPECT_TRUE(Has(page, "<td id=\"s-TitleText-03\">&lt;b&gt;&amp;&quot;</td>"));
    EXPECT_FALSE(Has(page, "<b>&"));
    EXPECT_TRUE(Has(page, "<td>a&quot;&lt;/style&gt;&lt;i&gt;.dat</td>"));
    EXPECT_TRUE(Has(page, "content: \"a\\22 \\3c /style\\3e \\3c i\\3e .dat \u2014 2026-12-10\";"));
    EXPECT_FALSE(Has(page, "</style><i>"));
    EXPECT_TRUE(Has(page, "<td id=\"s-PanelLock.password\">******</td>"));
    EXPECT_FALSE(Has(page, "482913"));
    EXPECT_TRUE(Has(page, "<footer>Report made on 2026-12-10 by kvr2840e-cli 9.99.</footer>"));

    request.showPassword = true;
    page = SettingsReportHtml(request);
    EXPECT_TRUE(Has(page, "<td id=\"s-PanelLock.password\">482913</td>"));
}
