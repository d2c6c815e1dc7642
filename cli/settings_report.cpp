#include "cli/settings_report.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "cli/compare.h"
#include "cli/title_table.h"
#include "files/settings_layout.h"

namespace {

std::string Escaped(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

// A text inside a CSS string: the page margins name the file.
std::string CssString(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        // "<" too: the string stands inside the page's style element.
        if (c == '"' || c == '\\' || c < 0x20 || c == 0x7F || c == '<' || c == '>' || c == '&') {
            char escape[8];
            snprintf(escape, sizeof escape, "\\%x ", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// A title without the full-width and half-width blanks that align it on
// the monitor: what a grid cell has room for.
std::string Trimmed(const std::string& title)
{
    const std::string wide = "\u3000";
    size_t begin = 0, end = title.size();
    for (;;) {
        if (title.compare(begin, wide.size(), wide) == 0 && begin < end)
            begin += wide.size();
        else if (begin < end && title[begin] == ' ')
            ++begin;
        else
            break;
    }
    for (;;) {
        if (end >= begin + wide.size() && title.compare(end - wide.size(), wide.size(), wide) == 0)
            end -= wide.size();
        else if (end > begin && title[end - 1] == ' ')
            --end;
        else
            break;
    }
    return title.substr(begin, end - begin);
}

std::string Capitalized(std::string text)
{
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

// A setting's key, the same for both files and for a difference: its table
// and its index as the wire numbers it ("DisplayPatternTable-03-05").
std::string Key(const std::string& table, std::string index)
{
    for (char& c : index)
        if (c == '/')
            c = '-';
    return index.empty() ? table : table + "-" + index;
}

std::string Key(const char* table, int first = -1, int second = -1)
{
    Setting setting{table, "", SettingSection::kRouting, SettingShown::kPlain, first, second};
    return Key(table, SettingIndex(setting));
}

// One setting as the report shows it.
struct Entry {
    Setting setting{};
    std::string shown;
    int raw = 0;   // numbers: the value the model holds
};
using Entries = std::map<std::string, Entry>;

// Every setting of a model, walked as the file is, by key.
class Collector {
public:
    Collector(int channelCount, bool showPassword, Entries& out)
        : channelCount_(channelCount), showPassword_(showPassword), out_(out)
    {
    }

    void Number(int& field, int, int, const Setting& setting)
    {
        if (setting.shown == SettingShown::kOctet) {
            octets_[setting.first] = field;
            if (setting.first == 3)
                out_[Key(setting.table, "")] = {setting, ShownAddress(octets_), 0};
            return;
        }
        out_[Key(setting.table, SettingIndex(setting))] = {setting, ShownSettingValue(setting, field, channelCount_),
                                                             field};
    }
    void Title(char* slot, const Setting& setting)
    {
        out_[Key(setting.table, SettingIndex(setting))] = {setting, ShownTitle(slot), 0};
    }
    void Password(char* password, const Setting& setting)
    {
        const std::string digits(password, strnlen(password, kPasswordLength));
        out_[Key(setting.table, "")] = {setting, showPassword_ ? digits : std::string("******"), 0};
    }

private:
    int channelCount_;
    bool showPassword_;
    Entries& out_;
    int octets_[4] = {};
};

Entries Collect(const DeviceModelData& model, bool showPassword)
{
    Entries entries;
    Collector collector(model.ChannelCount, showPassword, entries);
    // The walk hands out writable fields; the collector only reads them.
    VisitSettings(const_cast<DeviceModelData&>(model), collector);
    return entries;
}

const char kStyle[] = R"(
:root { --ink: #1b1f24; --line: #c9ced6; --head: #eef1f5; --mark: #fff1b8; --other: #b3261e; }
* { box-sizing: border-box; }
body { font: 10pt/1.35 "Segoe UI", Meiryo, "Yu Gothic", "Noto Sans CJK JP", IPAPGothic, sans-serif; color: var(--ink);
  margin: 0 auto; max-width: 60rem; padding: 1rem; }
h1 { font-size: 16pt; margin: 0 0 .4rem; }
h2 { font-size: 13pt; margin: 0 0 .4rem; border-bottom: 2px solid var(--ink); }
h3 { font-size: 10.5pt; margin: .9rem 0 .3rem; }
[lang=ja] { font-weight: normal; color: #59606b; margin-left: .5em; }
table { border-collapse: collapse; margin: 0 0 .6rem; }
th, td { border: 1px solid var(--line); padding: 1px 4px; white-space: nowrap; vertical-align: top; }
thead th, tbody th { background: var(--head); font-weight: 600; }
thead { display: table-header-group; }
tr { break-inside: avoid; }
.pairs th { text-align: left; }
.grid { font: 7.5pt/1.2 ui-monospace, "DejaVu Sans Mono", monospace; }
.grid td, .grid th { padding: 0 2px; text-align: center; }
.grid td small { display: block; max-width: 3.2rem; overflow: hidden; text-overflow: ellipsis;
  font: 6pt/1.2 sans-serif; color: #59606b; }
.dwell td { width: 1.45rem; height: 1.1rem; }
.off { color: #9aa1ab; }
td.changed { background: var(--mark); outline: 2px solid #d4a300; outline-offset: -2px; }
.other { display: block; color: var(--other); font-weight: 700; }
.other::before { content: "\2192\00a0"; }
.count { margin: 0 0 .4rem; font-weight: 600; color: var(--other); }
.legend .this { background: var(--mark); padding: 0 .3em; }
.legend .other { display: inline; }
nav ol { columns: 2; font-size: 8.5pt; margin: .3rem 0; padding-left: 1.6rem; }
footer { margin-top: 1rem; font-size: 8pt; color: #59606b; }
@media screen { section { margin-top: 1.5rem; } }
@media print {
  body { max-width: none; padding: 0; }
  * { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
  .page { break-before: page; }
  a { color: inherit; text-decoration: none; }
}
)";

// The page being written.
class Page {
public:
    explicit Page(const ReportRequest& request) : r_(request)
    {
        mine_ = Collect(*r_.file.model, r_.showPassword);
        if (r_.other.model) {
            theirs_ = Collect(*r_.other.model, r_.showPassword);
            CompareSettings(*r_.file.model, *r_.other.model, differences_);
            for (const SettingDifference& d : differences_)
                differing_.insert(Key(d.table, d.index));
        }
    }

    std::string Write()
    {
        const std::string& name = r_.file.name;
        out_ += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>KVR2840E settings: " +
                Escaped(name) + "</title>\n<style>" + kStyle + "@page { size: A4; margin: 12mm 10mm 14mm; " +
                "@bottom-left { content: " + CssString(name + " \u2014 " + r_.madeOn) + "; font-size: 8pt; } " +
                "@bottom-right { content: \"page \" counter(page) \" of \" counter(pages); font-size: 8pt; } }\n" +
                "</style>\n</head>\n<body>\n";
        Header();
        Routing();
        Titles();
        DateTime();
        Alarms();
        PanelAndNetwork();
        out_ += "<footer>Report made on " + Escaped(r_.madeOn) + " by " + Escaped(r_.toolVersion) + ".</footer>\n" +
                "</body>\n</html>\n";
        return out_;
    }

private:
    const Entry& Mine(const std::string& key) { return mine_[key]; }

    // One value cell; a value that differs in the other file is marked, with
    // the other file's value beside it.
    void Cell(const std::string& key, const std::string& shown, const std::string& extra = "",
              const std::string& style = "")
    {
        const bool changed = differing_.count(key) > 0;
        const Entry& mine = Mine(key);
        std::string classes = mine.setting.shown == SettingShown::kOnOff && mine.raw == 0 ? "off" : "";
        if (changed)
            classes += classes.empty() ? "changed" : " changed";
        out_ += "<td id=\"s-" + key + "\"";
        if (!classes.empty())
            out_ += " class=\"" + classes + "\"";
        if (!style.empty())
            out_ += " style=\"" + style + "\"";
        out_ += ">" + Escaped(shown) + extra;
        if (changed)
            out_ += "<span class=\"other\">" + Escaped(theirs_[key].shown) + "</span>";
        out_ += "</td>";
    }
    void Cell(const std::string& key) { Cell(key, Mine(key).shown); }

    void SectionHead(const char* id, const char* english, const char* japanese, SettingSection section,
                     bool newPage = true)
    {
        out_ += std::string("<section id=\"") + id + "\"" + (newPage ? " class=\"page\"" : "") + ">\n<h2>" + english +
                "<span lang=\"ja\">" + japanese + "</span></h2>\n";
        if (!r_.other.model)
            return;
        int count = 0;
        for (const std::string& key : differing_)
            count += Mine(key).setting.section == section;
        out_ += "<p class=\"count\">" + Count(count) + " from " + Escaped(r_.other.name) + "</p>\n";
    }

    static std::string Count(int count)
    {
        return count == 0 ? "No differences" : std::to_string(count) + (count == 1 ? " difference" : " differences");
    }

    void SubHead(const std::string& english, const char* japanese = nullptr)
    {
        out_ += "<h3>" + english;
        if (japanese)
            out_ += std::string("<span lang=\"ja\">") + japanese + "</span>";
        out_ += "</h3>\n";
    }

    // Single settings as name / value rows.
    void Pairs(std::initializer_list<std::string> keys)
    {
        out_ += "<table class=\"pairs\"><tbody>\n";
        for (const std::string& key : keys) {
            out_ += "<tr><th>" + Escaped(Capitalized(SettingPlace(Mine(key).setting))) + "</th>";
            Cell(key);
            out_ += "</tr>\n";
        }
        out_ += "</tbody></table>\n";
    }

    // Numbered header cells from..to (1-based), after `corner`.
    void NumberedHead(const std::string& corner, int from, int to)
    {
        out_ += "<thead><tr><th>" + corner + "</th>";
        for (int k = from; k <= to; ++k)
            out_ += "<th>" + std::to_string(k) + "</th>";
        out_ += "</tr></thead>\n";
    }

    // A row of flags or values of one table, indexes from..to (0-based), in
    // rows of 16.
    void Strip(const char* table, const std::string& what, int count)
    {
        out_ += "<table class=\"grid\">";
        NumberedHead(what, 1, std::min(count, 16));
        out_ += "<tbody>\n";
        for (int start = 0; start < count; start += 16) {
            out_ += "<tr><th>" + std::to_string(start + 1) + "\u2013" + std::to_string(std::min(count, start + 16)) +
                    "</th>";
            for (int k = start; k < start + 16 && k < count; ++k)
                Cell(Key(table, k));
            out_ += "</tr>\n";
        }
        out_ += "</tbody></table>\n";
    }

    std::string TitleOf(int channel) { return Trimmed(Mine(Key("TitleText", channel)).shown); }

    void Header()
    {
        out_ += "<header>\n<h1>KVR2840E settings<span lang=\"ja\">設定一覧</span></h1>\n"
                "<table class=\"pairs\"><tbody>\n<tr><th>File</th><td>" +
                Escaped(r_.file.name) + "</td></tr>\n<tr><th>Modified</th><td>" + Escaped(r_.file.modified) +
                "</td></tr>\n";
        if (r_.other.model)
            out_ += "<tr><th>Compared with</th><td>" + Escaped(r_.other.name) + " (modified " +
                    Escaped(r_.other.modified) + ")</td></tr>\n";
        out_ += "<tr><th>Made by</th><td>" + Escaped(r_.toolVersion) + "</td></tr>\n</tbody></table>\n</header>\n";
        if (!r_.other.model)
            return;
        out_ += "<nav id=\"differences\">\n<h2>" + Count(static_cast<int>(differences_.size())) + " from " +
                Escaped(r_.other.name) + "</h2>\n";
        if (differences_.empty()) {
            out_ += "</nav>\n";
            return;
        }
        out_ += "<p class=\"legend\">Marked in place: <span class=\"this\">the value in " + Escaped(r_.file.name) +
                "</span> <span class=\"other\">the value in " + Escaped(r_.other.name) + "</span></p>\n<ol>\n";
        for (const SettingDifference& d : differences_) {
            const std::string key = Key(d.table, d.index);
            out_ += "<li><a href=\"#s-" + key + "\">" + Escaped(d.place) + "</a>: " + Escaped(Mine(key).shown) +
                    " \u2192 " + Escaped(theirs_[key].shown) + "</li>\n";
        }
        out_ += "</ol>\n</nav>\n";
    }

    void Routing()
    {
        SectionHead("routing", "Routing", "画面表示パターン・自動切換えパターン・映像出力", SettingSection::kRouting,
                    r_.other.model != nullptr);
        Pairs({"CurrentDisplayPattern"});
        SubHead("Video outputs", "映像出力");
        Strip("VideoOutputEnable", "Output", kOutputCount);

        out_ += "<div class=\"page\">\n";
        SubHead("Display patterns: the source of each output", "画面表示パターン");
        out_ += "<table class=\"grid\">";
        NumberedHead("Pattern", 1, kOutputCount);
        out_ += "<tbody>\n";
        for (int p = 0; p < kDisplayRows; ++p) {
            out_ += "<tr><th>" + (p == kFreePattern ? std::string("FREE") : std::to_string(p + 1)) + "</th>";
            for (int o = 0; o < kOutputCount; ++o) {
                const std::string key = Key("DisplayPatternTable", p, o);
                const std::string& shown = Mine(key).shown;
                std::string title;
                if (shown.size() == 3 && shown[0] == 'I')
                    title = TitleOf(atoi(shown.c_str() + 1) - 1);
                Cell(key, shown, "<small>" + (title.empty() ? std::string("\u00a0") : Escaped(title)) + "</small>");
            }
            out_ += "</tr>\n";
        }
        out_ += "</tbody></table>\n</div>\n";

        // Inputs down, patterns across: the 64 x 32 grid fits an A4 page
        // across, in two halves of 32 inputs.
        const int channels = r_.file.model->ChannelCount;
        for (int half = 0; half < channels; half += 32) {
            out_ += "<div class=\"page\">\n";
            SubHead("Auto-switch patterns: dwell time in seconds, inputs " + std::to_string(half + 1) + "\u2013" +
                        std::to_string(std::min(channels, half + 32)),
                    "自動切換えパターン");
            out_ += "<table class=\"grid dwell\">";
            NumberedHead("Input \\ pattern", 1, kPatternCount);
            out_ += "<tbody>\n";
            for (int c = half; c < half + 32 && c < channels; ++c) {
                out_ += "<tr><th>" + std::to_string(c + 1) + "</th>";
                for (int p = 0; p < kPatternCount; ++p) {
                    const std::string key = Key("AutoSwitchPatternTable", p, c);
                    const int dwell = Mine(key).raw;
                    char shade[64] = "";
                    if (dwell > 0)
                        snprintf(shade, sizeof shade, "background:rgba(37,99,235,%.2f)",
                                 0.12 + 0.5 * dwell / kMaxDwellTime);
                    Cell(key, dwell > 0 ? std::to_string(dwell) : "", "", shade);
                }
                out_ += "</tr>\n";
            }
            out_ += "</tbody></table>\n</div>\n";
        }
        out_ += "</section>\n";
    }

    void Titles()
    {
        SectionHead("titles", "Titles", "タイトル", SettingSection::kTitles);
        for (int half = 0; half < kMaxChannels; half += 32) {
            if (half > 0)
                out_ += "<div class=\"page\">\n";
            out_ += "<table class=\"titles\"><thead><tr><th>Input</th><th>Title</th><th>Display</th>"
                    "<th>Position</th><th>Size</th></tr></thead><tbody>\n";
            for (int c = half; c < half + 32; ++c) {
                out_ += "<tr><th>" + std::to_string(c + 1) + "</th>";
                Cell(Key("TitleText", c));
                Cell(Key("TitleDisplayInput", c));
                Cell(Key("TitlePosition", c));
                Cell(Key("TitleFontSize", c));
                out_ += "</tr>\n";
            }
            out_ += "</tbody></table>\n";
            if (half > 0)
                out_ += "</div>\n";
        }
        SubHead("Title display of the outputs", "タイトル表示（出力側）");
        Strip("TitleDisplayOutput", "Output", kOutputCount);
        SubHead("Title fine position", "タイトル位置微調整");
        Pairs({"TitleFineTop", "TitleFineBottom"});
        out_ += "</section>\n";
    }

    void DateTime()
    {
        SectionHead("date-time", "Date and time display", "日付・時刻表示", SettingSection::kDateTime);
        Pairs({"DateTimeFormat", "DateTimeSize"});
        SubHead("Display on each input", "日付・時刻表示（入力側）");
        Strip("DateTimeDisplayInput", "Input", r_.file.model->ChannelCount);
        SubHead("Display on each output", "日付・時刻表示（出力側）");
        Strip("DateTimeDisplayOutput", "Output", kOutputCount);
        out_ += "</section>\n";
    }

    void Alarms()
    {
        SectionHead("alarms", "Alarms", "アラーム", SettingSection::kAlarms);
        Pairs({"AlarmSettings.holdTime", "AlarmSettings.alarmDisplay", "AlarmSettings.buzzer",
               "AlarmSettings.autoReturn", "AlarmSettings.inputPolarity"});
        SubHead("The input channel of each alarm input connector", "アラーム入力");
        Strip("AlarmInputChannel", "Alarm", kAlarmInputCount);
        for (int half = 0; half < kMaxChannels; half += 32) {
            out_ += "<div class=\"page\">\n";
            SubHead("Alarm video and signal outputs of inputs " + std::to_string(half + 1) + "\u2013" +
                        std::to_string(half + 32),
                    "アラーム映像出力・アラーム信号出力");
            out_ += "<table class=\"grid\"><thead><tr><th rowspan=\"2\">Input</th><th colspan=\"" +
                    std::to_string(kAlarmVideoOutputs) + "\">Video output</th><th colspan=\"" +
                    std::to_string(kAlarmSignalOutputs) + "\">Signal output</th></tr><tr>";
            for (int k = 0; k < kAlarmVideoOutputs; ++k)
                out_ += "<th>" + std::to_string(k + 1) + "</th>";
            for (int k = 0; k < kAlarmSignalOutputs; ++k)
                out_ += "<th>" + std::to_string(k + 1) + "</th>";
            out_ += "</tr></thead><tbody>\n";
            for (int c = half; c < half + 32; ++c) {
                out_ += "<tr><th>" + std::to_string(c + 1) + "</th>";
                for (int k = 0; k < kAlarmVideoOutputs; ++k)
                    Cell(Key("AlarmVideoOutput", c, k));
                for (int k = 0; k < kAlarmSignalOutputs; ++k)
                    Cell(Key("AlarmSignalOutput", c, k));
                out_ += "</tr>\n";
            }
            out_ += "</tbody></table>\n</div>\n";
        }
        out_ += "</section>\n";
    }

    void PanelAndNetwork()
    {
        SectionHead("panel", "Panel", "パスワード", SettingSection::kPanel);
        Pairs({"PanelLock.buttonLock", "PanelLock.menuLock", "PanelLock.password"});
        out_ += "</section>\n";
        SectionHead("network", "Network", "プロトコルの設定", SettingSection::kNetwork, false);
        Pairs({"UnitNetwork.ipAddress", "UnitNetwork.subnetMask", "UnitNetwork.gatewayAddress",
               "UnitNetwork.activeAddress", "UnitNetwork.connectionTry", "UnitNetwork.keepAlive"});
        out_ += "</section>\n";
    }

    const ReportRequest& r_;
    Entries mine_;
    Entries theirs_;
    std::vector<SettingDifference> differences_;
    std::set<std::string> differing_;   // the keys of the differences
    std::string out_;
};

} // namespace

std::string SettingsReportHtml(const ReportRequest& request)
{
    return Page(request).Write();
}
