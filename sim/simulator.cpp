#include "sim/simulator.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "sim/live_status.h"
#include "net/sockets.h"
#include "sim/serial_port.h"
#include "sim/unit_clock.h"
#include "sim/waker.h"

namespace {

constexpr int kConnectTimeoutMs = 10000;
// Clients the listening unit serves at once; a further one is closed at once.
constexpr int kMaxListenClients = 16;
constexpr int kReceiveBytes = 1024;

struct TcpConnection {
    NetHandle socket = kNoHandle;
    LinkEndpoint link;
    int unitNumber = 0;        // a connecting unit's number; 0 for a client of the listening unit
    bool writeBlocked = false;
};

struct Simulator {
    explicit Simulator(const SimOptions& o) : options(o) {}

    const SimOptions& options;
    std::vector<std::unique_ptr<SimUnit>> units;
    SerialPort* serial = nullptr;
    LinkEndpoint serialLink;
    NetHandle listener = kNoHandle;
    SimUnit* listeningUnit = nullptr;
    std::vector<std::unique_ptr<TcpConnection>> connections;
    FILE* log = nullptr;
    int64_t startMs = 0;   // the monotonic clock when the simulator started
    bool linkFailed = false;
};

SimUnit* NewUnit(Simulator& sim, int64_t nowMs, int64_t wallSeconds)
{
    SimUnitSetup setup;
    setup.number = static_cast<int>(sim.units.size()) + 1;
    memcpy(setup.firmwareVersion, sim.options.firmwareVersion, sizeof setup.firmwareVersion);
    memcpy(setup.lostInputs, sim.options.lostInputs, sizeof setup.lostInputs);
    setup.flapSeconds = sim.options.flapSeconds;
    sim.units.push_back(std::make_unique<SimUnit>());
    ResetSimUnit(*sim.units.back(), setup, nowMs, wallSeconds);
    if (sim.options.clockMs >= 0)
        StartUnitClockMs(sim.units.back()->clock, sim.options.clockMs, nowMs);
    return sim.units.back().get();
}

bool OpenSerialLink(Simulator& sim, int64_t nowMs, int64_t wallSeconds, std::string& error)
{
    const SimOptions& o = sim.options;
    std::string name;
    if (o.pty) {
        sim.serial = OpenPtySerial(o.ptyLink, name, error);
        if (!sim.serial)
            return false;
        printf("pty %s\n", name.c_str());
    } else {
        sim.serial = OpenDeviceSerial(o.serialDevice, error);
        if (!sim.serial)
            return false;
        printf("serial %s\n", o.serialDevice.c_str());
    }
    LinkEndpoint& link = sim.serialLink;
    link.baud = sim.options.baud;
    link.logOriginMs = sim.options.logMs ? sim.startMs : -1;
    link.kind = kSimLinkSerial;
    link.rs485 = !o.rs485Addresses.empty();
    if (link.rs485) {
        for (int address : o.rs485Addresses)
            link.units.push_back({address, NewUnit(sim, nowMs, wallSeconds)});
    } else {
        link.units.push_back({-1, NewUnit(sim, nowMs, wallSeconds)});
    }
    return true;
}

bool OpenListeningUnit(Simulator& sim, int64_t nowMs, int64_t wallSeconds, std::string& error)
{
    const SimOptions& o = sim.options;
    int port = 0;
    sim.listener = ListenTcp(o.bindAddress.c_str(), o.listenPort, port, error);
    if (sim.listener == kNoHandle)
        return false;
    // A real unit answers on its serial port and its network port alike.
    sim.listeningUnit = sim.serial ? sim.serialLink.units[0].unit : NewUnit(sim, nowMs, wallSeconds);
    printf("listening %s:%d\n", o.bindAddress.c_str(), port);
    return true;
}

bool ConnectUnits(Simulator& sim, int64_t nowMs, int64_t wallSeconds, std::string& error)
{
    const SimOptions& o = sim.options;
    for (int k = 0; k < o.units; ++k) {
        const NetHandle socket = ConnectTcp(o.connectHost.c_str(), o.connectPort, kConnectTimeoutMs, error);
        if (socket == kNoHandle) {
            error = "unit " + std::to_string(k + 1) + ": " + error;
            return false;
        }
        auto connection = std::make_unique<TcpConnection>();
        connection->socket = socket;
        connection->link.kind = kSimLinkTcp;
        connection->link.baud = o.baud;
        connection->link.logOriginMs = o.logMs ? sim.startMs : -1;
        SimUnit* unit = NewUnit(sim, nowMs, wallSeconds);
        connection->link.units.push_back({-1, unit});
        connection->unitNumber = unit->number;
        sim.connections.push_back(std::move(connection));
    }
    printf("connected %d units to %s:%d\n", o.units, o.connectHost.c_str(), o.connectPort);
    return true;
}

int ListeningClients(const Simulator& sim)
{
    int count = 0;
    for (const auto& c : sim.connections)
        if (c->unitNumber == 0)
            ++count;
    return count;
}

void AcceptClients(Simulator& sim)
{
    while (true) {
        const NetHandle socket = AcceptTcp(sim.listener);
        if (socket == kNoHandle)
            return;
        if (ListeningClients(sim) >= kMaxListenClients) {
            CloseSocket(socket);
            continue;
        }
        auto connection = std::make_unique<TcpConnection>();
        connection->socket = socket;
        connection->link.kind = kSimLinkTcp;
        connection->link.baud = sim.options.baud;
        connection->link.logOriginMs = sim.options.logMs ? sim.startMs : -1;
        connection->link.units.push_back({-1, sim.listeningUnit});
        sim.connections.push_back(std::move(connection));
    }
}

// Writes what is due; false when the link failed.
template <typename Write>
bool FlushLink(LinkEndpoint& link, int64_t nowMs, Write write, bool& blocked)
{
    blocked = false;
    while (true) {
        const char* data = nullptr;
        const int due = DueBytes(link, nowMs, &data);
        if (due == 0)
            return true;
        const int written = write(data, due);
        if (written < 0)
            return false;
        ConsumeBytes(link, written);
        if (written < due) {
            blocked = true;
            return true;
        }
    }
}

void CloseConnection(Simulator& sim, size_t index)
{
    TcpConnection& c = *sim.connections[index];
    CloseSocket(c.socket);
    if (c.unitNumber > 0) {
        printf("disconnected unit %d\n", c.unitNumber);
        fflush(stdout);
    }
    sim.connections.erase(sim.connections.begin() + static_cast<std::ptrdiff_t>(index));
}

void CloseSerialLink(Simulator& sim, const char* why)
{
    fprintf(stderr, "kvr2840e-sim: the serial line %s\n", why);
    CloseSerial(sim.serial);
    sim.serial = nullptr;
    sim.linkFailed = true;
}

void FlushAll(Simulator& sim, int64_t nowMs)
{
    if (sim.serial) {
        bool blocked;
        SerialPort* port = sim.serial;
        if (!FlushLink(sim.serialLink, nowMs,
                       [port](const char* d, int n) { return WriteSerial(port, d, n); }, blocked))
            CloseSerialLink(sim, "failed while writing");
    }
    for (size_t i = 0; i < sim.connections.size();) {
        TcpConnection& c = *sim.connections[i];
        const NetHandle socket = c.socket;
        if (!FlushLink(c.link, nowMs, [socket](const char* d, int n) { return SendSome(socket, d, n); },
                       c.writeBlocked) ||
            LinkAnsweredItsLast(c.link, sim.options.closeAfterCommands)) {
            CloseConnection(sim, i);
            continue;
        }
        ++i;
    }
}

void ReadSerialLink(Simulator& sim, int64_t nowMs)
{
    char buffer[kReceiveBytes];
    while (sim.serial) {
        LineError error = kLineErrorNone;
        const int n = ReadSerial(sim.serial, buffer, sizeof buffer, error);
        if (n < 0) {
            CloseSerialLink(sim, "failed while reading");
            return;
        }
        if (n == 0)
            return;
        if (error != kLineErrorNone)
            MarkLineError(sim.serialLink, error);
        FeedLink(sim.serialLink, buffer, n, nowMs, sim.options.faults, sim.log);
    }
}

// Returns false when the connection closed.
bool ReadConnection(Simulator& sim, TcpConnection& c, int64_t nowMs)
{
    char buffer[kReceiveBytes];
    const int n = ReceiveSome(c.socket, buffer, sizeof buffer);
    if (n < 0)
        return false;
    if (n > 0)
        FeedLink(c.link, buffer, n, nowMs, sim.options.faults, sim.log);
    return true;
}

int64_t NextDeadline(const Simulator& sim, int64_t endAt)
{
    int64_t next = endAt;
    for (const auto& unit : sim.units) {
        const int64_t due = NextLiveDeadline(*unit);
        if (due < next)
            next = due;
    }
    if (sim.serial && !SerialWriteBlocked(sim.serial)) {
        const int64_t due = NextWriteDue(sim.serialLink);
        if (due < next)
            next = due;
    }
    for (const auto& c : sim.connections) {
        const int64_t due = c->writeBlocked ? kNever : NextWriteDue(c->link);
        if (due < next)
            next = due;
    }
    return next;
}

// The wait list: 0 the waker, then the serial line (when it has a handle),
// the listener, and the connections in order.
void Serve(Simulator& sim, int64_t endAt)
{
    std::vector<WaitItem> items;
    while (!StopRequested()) {
        int64_t now = MonotonicMs();
        if (now >= endAt)
            return;
        for (const auto& unit : sim.units)
            AdvanceLiveStatus(*unit, now);
        FlushAll(sim, now);
        if (!sim.serial && sim.listener == kNoHandle && sim.connections.empty()) {
            if (!sim.linkFailed) {
                printf("all units disconnected\n");
                fflush(stdout);
            }
            return;
        }

        items.clear();
        items.push_back({WakerHandle(), false, false, false});
        const NetHandle serialHandle = sim.serial ? SerialWaitHandle(sim.serial) : kNoHandle;
        if (serialHandle != kNoHandle)
            items.push_back({serialHandle, SerialWriteBlocked(sim.serial), false, false});
        if (sim.listener != kNoHandle)
            items.push_back({sim.listener, false, false, false});
        for (const auto& c : sim.connections)
            items.push_back({c->socket, c->writeBlocked, false, false});

        const int64_t next = NextDeadline(sim, endAt);
        int timeout = -1;
        if (next != kNever) {
            const int64_t wait = next - now;
            timeout = wait <= 0 ? 0 : wait > INT_MAX ? INT_MAX : static_cast<int>(wait);
        }
        WaitForItems(items.data(), static_cast<int>(items.size()), timeout);
        now = MonotonicMs();

        size_t index = 0;
        if (items[index++].readable)
            DrainWaker();
        // Without a handle of its own the serial line reports through the waker.
        if (serialHandle == kNoHandle || items[index++].readable)
            ReadSerialLink(sim, now);
        if (sim.listener != kNoHandle && items[index++].readable)
            AcceptClients(sim);
        // Connections accepted just now are not in the list yet; they are
        // read on the next round.
        const size_t waited = items.size() - index;
        std::vector<TcpConnection*> ready;
        for (size_t k = 0; k < waited && k < sim.connections.size(); ++k)
            if (items[index + k].readable)
                ready.push_back(sim.connections[k].get());
        for (TcpConnection* c : ready) {
            if (ReadConnection(sim, *c, now))
                continue;
            for (size_t i = 0; i < sim.connections.size(); ++i)
                if (sim.connections[i].get() == c) {
                    CloseConnection(sim, i);
                    break;
                }
        }
    }
}

void CloseAll(Simulator& sim)
{
    if (sim.serial)
        CloseSerial(sim.serial);
    sim.serial = nullptr;
    for (const auto& c : sim.connections)
        CloseSocket(c->socket);
    sim.connections.clear();
    CloseSocket(sim.listener);
    sim.listener = kNoHandle;
    if (sim.log)
        fclose(sim.log);
    sim.log = nullptr;
}

} // namespace

int RunSimulator(const SimOptions& options)
{
    std::string error;
    if (!StartNetworking(error) || !OpenWaker(error)) {
        fprintf(stderr, "kvr2840e-sim: %s\n", error.c_str());
        return 1;
    }
    InstallStopHandlers();

    Simulator sim(options);
    const int64_t start = MonotonicMs();
    sim.startMs = start;
    const int64_t wallSeconds = LocalWallSecondsSince2000();
    bool opened = true;
    if (!options.logPath.empty()) {
        sim.log = fopen(options.logPath.c_str(), "w");
        if (!sim.log) {
            error = "cannot write the log " + options.logPath;
            opened = false;
        }
    }
    if (opened && (options.pty || !options.serialDevice.empty()))
        opened = OpenSerialLink(sim, start, wallSeconds, error);
    if (opened && options.listenPort >= 0)
        opened = OpenListeningUnit(sim, start, wallSeconds, error);
    if (opened && !options.connectHost.empty())
        opened = ConnectUnits(sim, start, wallSeconds, error);
    fflush(stdout);

    int status = 0;
    if (opened) {
        const int64_t endAt = options.seconds > 0 ? start + options.seconds * int64_t{1000} : kNever;
        Serve(sim, endAt);
        if (sim.linkFailed && !sim.serial && sim.listener == kNoHandle && sim.connections.empty())
            status = 1;
    } else {
        fprintf(stderr, "kvr2840e-sim: %s\n", error.c_str());
        status = 1;
    }
    CloseAll(sim);
    CloseWaker();
    StopNetworking();
    return status;
}
