#include "cli/tool.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "cli/compare.h"
#include "cli/file_commands.h"
#include "cli/options.h"
#include "cli/platform.h"
#include "cli/report.h"
#include "cli/unit_exchange.h"
#include "dialogs/routing/settings_transfer.h"
#include "files/provisioning.h"
#include "files/settings_file.h"
#include "link/tcp_state.h"
#include "net/sockets.h"

namespace {

// The one plan of a provision run: every unit sends the same file. The
// step table's builder has no context of its own, and the tool runs on one
// thread.
ProvisionPlan Plan;
SequenceSteps ProvisionSteps = {
    .timerId = 0,
    .periodMs = 0,
    .length = 0,   // set from the plan before the run
    .sendModelStep = [](const DeviceModelData& model, int step) { return SendProvisionStep(model, Plan, step); },
};

int64_t ClockHold(UnitExchange& unit, int nextStep, int64_t nowMs)
{
    return ProvisionClockHold(unit, Plan, nextStep, nowMs);
}

constexpr int kConnectTimeoutMs = 5000;
constexpr int kWriteTimeoutMs = 2000;

int Refuse(const std::string& text, int code)
{
    fprintf(stderr, "kvr2840e-cli: %s\n", text.c_str());
    return code;
}

// One unit on its link: the exchange and, over TCP, its socket.
struct LinkedUnit {
    ToolUnit unit;
    NetHandle socket = kNoHandle;
};

class Tool {
public:
    explicit Tool(const ToolOptions& options) : o_(options) {}
    ~Tool();
    int Run();

private:
    bool LoadSettingsFile(int& code);
    bool CheckOutputs(int& code);
    bool OpenLink(int& code);
    LinkedUnit& AddUnit(const std::string& address, NetHandle socket, int64_t nowMs, int rs485Address);
    void AddNextBusUnit(int64_t nowMs);
    bool MoreBusUnits() const;
    void Loop();
    void WaitAndReceive(int64_t nowMs, int64_t wakeMs);
    void AcceptUnits(int64_t nowMs);
    void Receive(LinkedUnit& linked, int64_t nowMs);
    void Flush(LinkedUnit& linked);
    void ReportStrayReplies(UnitExchange& unit);
    bool CheckProvision(int& code);
    int PrintDryRun();
    void Finish(LinkedUnit& linked);
    bool WriteOutput(ToolUnit& unit);
    int Report();
    std::vector<ToolUnit*> Units() const;

    const ToolOptions& o_;
    bool many_ = false;
    DeviceModelData fileModel_{};
    SerialPort* serial_ = nullptr;
    NetHandle listener_ = kNoHandle;
    bool networking_ = false;
    int64_t acceptUntilMs_ = 0;
    int nextAddress_ = 0;     // the bus's next address in o_.addresses
    std::vector<std::unique_ptr<LinkedUnit>> units_;
    std::unique_ptr<ProgressDisplay> display_;
    bool terminal_ = false;   // asked once: on Windows the question also switches the console mode
};

Tool::~Tool()
{
    for (auto& linked : units_)
        CloseSocket(linked->socket);
    CloseSocket(listener_);
    CloseSerialPort(serial_);
    if (networking_)
        StopNetworking();
}

bool Tool::LoadSettingsFile(int& code)
{
    ResetModelToStartValues(fileModel_);
    std::string bytes, error;
    if (!LoadSettingsFileAt(o_.file, fileModel_, bytes, error)) {
        code = Refuse(error, kExitUsage);
        return false;
    }
    return true;
}

bool Tool::CheckOutputs(int& code)
{
    for (int n = 1; n <= o_.units; ++n) {
        const std::string path = UnitOutputPath(o_.file, n, many_);
        if (!o_.force && FileExists(path)) {
            code = Refuse(path + " exists; give --force to replace it", kExitUsage);
            return false;
        }
    }
    return true;
}

bool Tool::OpenLink(int& code)
{
    std::string error;
    if (o_.link == LinkKind::kSerial) {
        serial_ = OpenSerialPort(o_.device, error);
    } else {
        networking_ = StartNetworking(error);
        if (networking_ && o_.link == LinkKind::kTcp) {
            const NetHandle socket = ConnectTcp(o_.host.c_str(), o_.port, kConnectTimeoutMs, error);
            if (socket != kNoHandle) {
                AddUnit(o_.host + ":" + std::to_string(o_.port), socket, MonotonicMs(), kNoAddressPrefix);
                return true;
            }
        } else if (networking_) {
            int bound = 0;
            listener_ = ListenTcp("0.0.0.0", o_.listenPort, bound, error);
            if (listener_ != kNoHandle) {
                fprintf(stderr, "listening on port %d for %d units\n", bound, o_.units);
                fflush(stderr);
                acceptUntilMs_ = MonotonicMs() + static_cast<int64_t>(o_.waitSeconds) * 1000;
                return true;
            }
        }
    }
    if (serial_) {
        AddNextBusUnit(MonotonicMs());
        return true;
    }
    code = Refuse(error, kExitLinkFailed);
    return false;
}

// The serial line's next unit: the one of RS-232C, or the next address of
// the bus (they share the line, so one runs after the other).
void Tool::AddNextBusUnit(int64_t nowMs)
{
    const int address = o_.addresses.empty() ? o_.address : o_.addresses[nextAddress_];
    ++nextAddress_;
    std::string name = o_.device;
    if (address == kSlaveBroadcast)
        name += " broadcast";
    else if (address != kNoAddressPrefix)
        name += " address " + std::to_string(address);
    AddUnit(name, kNoHandle, nowMs, address);
}

bool Tool::MoreBusUnits() const
{
    return serial_ && nextAddress_ < static_cast<int>(o_.addresses.size());
}

LinkedUnit& Tool::AddUnit(const std::string& address, NetHandle socket, int64_t nowMs, int rs485Address)
{
    units_.push_back(std::make_unique<LinkedUnit>());
    LinkedUnit& linked = *units_.back();
    linked.socket = socket;
    UnitExchange& u = linked.unit.exchange;
    u.number = static_cast<int>(units_.size());
    u.address = address;
    u.serialReplies = o_.link == LinkKind::kSerial;
    if (o_.command == ToolCommand::kSetAll || o_.command == ToolCommand::kProvision)
        u.model = fileModel_;
    else
        ResetModelToStartValues(u.model);
    switch (o_.command) {
    case ToolCommand::kReadAll:
    case ToolCommand::kVerify: u.steps = &ReadAllSettings; break;
    case ToolCommand::kSetAll: u.steps = &SetAllSettings; break;
    case ToolCommand::kProvision:
        u.steps = &ProvisionSteps;
        u.earliestStep = ClockHold;
        break;
    default: u.text = o_.text; break;
    }
    // Provisioning goes at the line's pace: each step once the reply is in.
    u.paceMs = o_.paceMs >= 0 ? o_.paceMs : (u.steps ? u.steps->periodMs : 0);
    PrepareUnit(u, o_.link == LinkKind::kSerial ? rs485Address : kNoAddressPrefix);
    display_->Started(linked.unit);
    StartUnit(u, nowMs);
    Flush(linked);
    Finish(linked);
    return linked;
}

void Tool::Flush(LinkedUnit& linked)
{
    UnitExchange& u = linked.unit.exchange;
    if (u.outbox.empty())
        return;
    bool written;
    if (serial_) {
        written = WriteSerialPort(serial_, u.outbox.data(), static_cast<int>(u.outbox.size()));
    } else {
        written = true;
        size_t sent = 0;
        while (written && sent < u.outbox.size()) {
            const int n = SendSome(linked.socket, u.outbox.data() + sent, static_cast<int>(u.outbox.size() - sent));
            if (n > 0) {
                sent += static_cast<size_t>(n);
            } else if (n == 0) {
                WaitItem item{linked.socket, true, false, false};
                WaitForItems(&item, 1, kWriteTimeoutMs);
                written = item.writable;
            } else {
                written = false;
            }
        }
    }
    u.outbox.clear();
    if (!written)
        FailUnit(u, "the command could not be written to the link");
}

// A late reply of the unit served before is not this unit's: it is told
// and left aside, and the unit waits on for its own within its time-out.
void Tool::ReportStrayReplies(UnitExchange& unit)
{
    for (const std::string& line : unit.strayReplies)
        fprintf(stderr, "kvr2840e-cli: %s: skipped a reply from address %s, not this unit's: \"%s\"\n",
                unit.address.c_str(), line.substr(0, 2).c_str(), line.c_str());
    if (!unit.strayReplies.empty())
        fflush(stderr);
    unit.strayReplies.clear();
}

// Everything the run would send is built and checked before the first byte:
// a value any builder refuses stops the whole run, so no unit is left with
// half of a file.
bool Tool::CheckProvision(int& code)
{
    PlanProvision(fileModel_, o_.sections, o_.clock, Plan);
    ProvisionSteps.length = Plan.length;
    const bool broadcast =
        o_.address == kSlaveBroadcast ||
        std::find(o_.addresses.begin(), o_.addresses.end(), kSlaveBroadcast) != o_.addresses.end();
    if (broadcast && (o_.sections & ProvisionBit(kProvisionNetwork))) {
        code = Refuse("the network section does not go to broadcast: every unit on the bus would take the same IP "
                      "address; nothing sent",
                      kExitUsage);
        return false;
    }
    const std::string refusal = ProvisionRefusal(fileModel_, Plan);
    if (refusal.empty())
        return true;
    for (size_t at = 0, end; (end = refusal.find('\n', at)) != std::string::npos; at = end + 1)
        Refuse(o_.file + ": " + refusal.substr(at, end - at), kExitUsage);
    code = Refuse("nothing sent", kExitUsage);
    return false;
}

// The lines each unit would be sent, in the order they would go, the RS-485
// address in front as on the wire; the clock as the PC's clock reads now.
int Tool::PrintDryRun()
{
    std::vector<int> addresses = o_.addresses;
    if (o_.link != LinkKind::kSerial || addresses.empty())
        addresses = {o_.link == LinkKind::kSerial ? o_.address : kNoAddressPrefix};
    std::string frame;
    for (const int address : addresses) {
        for (int step = 1; step <= Plan.length; ++step) {
            if (!BuildProvisionStep(fileModel_, Plan, step, address, frame))
                return Refuse("step " + std::to_string(step) + " could not be built", kExitUsage);
            while (!frame.empty() && (frame.back() == '\n' || frame.back() == '\r'))
                frame.pop_back();
            printf("%s\n", frame.c_str());
        }
    }
    fflush(stdout);
    // Over TCP every unit gets the same lines; on a bus each its own.
    const int units = o_.link == LinkKind::kSerial ? static_cast<int>(addresses.size()) : o_.units;
    fprintf(stderr, "provision: %d %s for each of %d %s, nothing sent (--dry-run)\n", Plan.length,
            Plan.length == 1 ? "line" : "lines", units, units == 1 ? "unit" : "units");
    return ferror(stdout) ? Refuse("the lines could not be written to stdout", kExitUsage) : kExitDone;
}

void Tool::Receive(LinkedUnit& linked, int64_t nowMs)
{
    char buffer[kReceiveBufferBytes];
    for (;;) {
        const int n = ReceiveSome(linked.socket, buffer, sizeof buffer);
        if (n > 0) {
            UnitReceived(linked.unit.exchange, buffer, n, nowMs);
            continue;
        }
        if (n < 0) {
            UnitLinkLost(linked.unit.exchange, "the unit closed the connection");
            CloseSocket(linked.socket);
            linked.socket = kNoHandle;
        }
        return;
    }
}

void Tool::AcceptUnits(int64_t nowMs)
{
    for (NetHandle socket; (socket = AcceptTcp(listener_)) != kNoHandle;) {
        if (static_cast<int>(units_.size()) >= o_.units) {
            CloseSocket(socket);   // more units than asked for: not served
            continue;
        }
        AddUnit(PeerAddress(socket), socket, nowMs, kNoAddressPrefix);
    }
}

void Tool::WaitAndReceive(int64_t nowMs, int64_t wakeMs)
{
    int timeout = wakeMs == kNever ? -1 : static_cast<int>(std::max<int64_t>(0, wakeMs - nowMs));
    if (serial_) {
        char buffer[kReceiveBufferBytes];
        const int n = ReadSerialPort(serial_, buffer, sizeof buffer, timeout);
        // The line's unit now: on a bus, the one whose turn it is.
        if (n > 0) {
            UnitExchange& unit = units_.back()->unit.exchange;
            UnitReceived(unit, buffer, n, MonotonicMs());
            ReportStrayReplies(unit);
        } else if (n < 0)
            UnitLinkLost(units_.back()->unit.exchange, "the serial port failed");
        return;
    }
    std::vector<WaitItem> items;
    std::vector<LinkedUnit*> owners;
    if (listener_ != kNoHandle) {
        items.push_back({listener_, false, false, false});
        owners.push_back(nullptr);
    }
    for (auto& linked : units_) {
        if (linked->socket != kNoHandle && linked->unit.exchange.state == UnitState::kRunning) {
            items.push_back({linked->socket, false, false, false});
            owners.push_back(linked.get());
        }
    }
    if (items.empty())
        return;
    WaitForItems(items.data(), static_cast<int>(items.size()), timeout);
    const int64_t now = MonotonicMs();
    for (size_t i = 0; i < items.size(); ++i) {
        if (!items[i].readable)
            continue;
        if (owners[i])
            Receive(*owners[i], now);
        else
            AcceptUnits(now);
    }
}

bool Tool::WriteOutput(ToolUnit& unit)
{
    const std::string path = UnitOutputPath(o_.file, unit.exchange.number, many_);
    std::string text;
    FormatSettingsFile(unit.exchange.model, text);
    const bool written = SaveFileWhole(path, text);
    if (!written)
        unit.exchange.message = "the settings file " + path + " could not be written";
    return written;
}

void Tool::Finish(LinkedUnit& linked)
{
    ToolUnit& unit = linked.unit;
    const UnitState state = unit.exchange.state;
    if (unit.result != UnitResult::kRunning || state == UnitState::kRunning)
        return;
    if (state == UnitState::kFailed) {
        unit.result = UnitResult::kFailed;
    } else if (o_.command == ToolCommand::kReadAll) {
        unit.result = WriteOutput(unit) ? UnitResult::kDone : UnitResult::kFailed;
    } else if (o_.command == ToolCommand::kVerify) {
        CompareReadAllTables(fileModel_, unit.exchange.model, unit.differences);
        unit.result = unit.differences.empty() ? UnitResult::kDone : UnitResult::kDiffers;
    } else {
        unit.result = UnitResult::kDone;
    }
    display_->Ended(unit);
}

void Tool::Loop()
{
    for (;;) {
        int64_t now = MonotonicMs();
        if (listener_ != kNoHandle &&
            (static_cast<int>(units_.size()) >= o_.units || now >= acceptUntilMs_)) {
            CloseSocket(listener_);
            listener_ = kNoHandle;
        }
        int64_t wake = listener_ != kNoHandle ? acceptUntilMs_ : kNever;
        bool running = false;
        for (auto& linked : units_) {
            wake = std::min(wake, UnitWakeTime(linked->unit.exchange));
            running = running || linked->unit.exchange.state == UnitState::kRunning;
        }
        if (!running && MoreBusUnits()) {
            AddNextBusUnit(now);
            continue;
        }
        if (!running && listener_ == kNoHandle)
            return;
        if (terminal_)
            wake = std::min(wake, now + 100);
        WaitAndReceive(now, wake);

        now = MonotonicMs();
        for (auto& linked : units_) {
            TickUnit(linked->unit.exchange, now);
            Flush(*linked);
            Finish(*linked);
        }
        display_->Redraw(Units(), now, false);
    }
}

std::vector<ToolUnit*> Tool::Units() const
{
    std::vector<ToolUnit*> units;
    for (const auto& linked : units_)
        units.push_back(&linked->unit);
    return units;
}

int Tool::Report()
{
    const std::vector<ToolUnit*> units = Units();
    display_->Redraw(units, MonotonicMs(), true);
    int done = 0;
    bool anyBad = static_cast<int>(units.size()) < o_.units;
    for (const ToolUnit* unit : units) {
        done += unit->result == UnitResult::kDone;
        anyBad = anyBad || unit->result != UnitResult::kDone;
    }
    if (o_.json) {
        WriteJsonSummary(stdout, o_.command, o_.units, units);
    } else {
        for (const ToolUnit* unit : units) {
            const std::string label = UnitLabel(*unit, many_);
            if (o_.command == ToolCommand::kSend && !unit->exchange.reply.empty()) {
                if (many_)
                    printf("%s: ", label.c_str());
                printf("%s\n", unit->exchange.reply.c_str());
            }
            for (const SettingDifference& d : unit->differences)
                printf("%s%s%s\n", many_ ? label.c_str() : "", many_ ? ": " : "",
                       DifferenceLine(d, kFileSide, kUnitSide).c_str());
        }
        fflush(stdout);
    }
    if (terminal_) {
        for (const ToolUnit* unit : units)
            if (unit->result == UnitResult::kFailed)
                fprintf(stderr, "%s: %s\n", UnitLabel(*unit, many_).c_str(), FailureText(*unit).c_str());
    }
    if (o_.command == ToolCommand::kVerify)
        fprintf(stderr, "verify: not compared, as read all does not read them: %s\n", kNotComparedByVerify);
    fprintf(stderr, "%s: %d of %d units done", CommandName(o_.command), done, o_.units);
    if (static_cast<int>(units.size()) < o_.units)
        fprintf(stderr, ", %d did not connect", o_.units - static_cast<int>(units.size()));
    fprintf(stderr, "\n");
    return anyBad ? kExitUnitFailed : kExitDone;
}

int Tool::Run()
{
    many_ = o_.units > 1;
    int code = kExitDone;
    if ((o_.command == ToolCommand::kSetAll || o_.command == ToolCommand::kVerify ||
         o_.command == ToolCommand::kProvision) &&
        !LoadSettingsFile(code))
        return code;
    if (o_.command == ToolCommand::kProvision) {
        if (!CheckProvision(code))
            return code;
        if (o_.dryRun)
            return PrintDryRun();
    }
    if (o_.command == ToolCommand::kReadAll && !CheckOutputs(code))
        return code;
    terminal_ = ProgressTerminal();
    display_ = std::make_unique<ProgressDisplay>(stderr, terminal_, o_.command, many_);
    if (!OpenLink(code))
        return code;
    Loop();
    return Report();
}

} // namespace

std::string UnitOutputPath(const std::string& path, int number, bool many)
{
    if (!many)
        return path;
    char suffix[8];
    snprintf(suffix, sizeof suffix, "-%02d", number);
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.rfind('.');
    const size_t at = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? dot : path.size();
    return path.substr(0, at) + suffix + path.substr(at);
}

int RunTool(int argc, const char* const* argv)
{
    PrepareProcess();
    ToolOptions options;
    std::string error;
    if (!ParseToolOptions(argc, argv, options, error)) {
        Refuse(error, kExitUsage);
        fprintf(stderr, "Try 'kvr2840e-cli %s--help'.\n",
                options.command == ToolCommand::kNone ? "" : (std::string(CommandName(options.command)) + " ").c_str());
        return kExitUsage;
    }
    if (options.help) {
        fputs(HelpText(options.command), stdout);
        return kExitDone;
    }
    if (options.version) {
        fputs(VersionText(), stdout);
        return kExitDone;
    }
    if (IsFileCommand(options.command))
        return RunFileCommand(options);
    Tool tool(options);
    return tool.Run();
}
