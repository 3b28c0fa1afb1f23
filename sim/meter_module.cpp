#include "sim/meter.h"
#include "sim/meter_bytes.h"

namespace {

enum : uint8_t { kEthernet = 3, kWifi = 4 };
enum : uint8_t {
    kEthSettings = 111,
    kTimeouts = 137,
    kEthState = 155,
    kJapSettings = 173,
    kSapSettings = 174,
    kServerSettings = 175,
    kWifiState = 180,
    kRestart = 240,
};

// Module blocks of parameter 69: sizes as read and as written (-1: not
// readable / not writable) and the module kinds that have them.
struct TBlockDef {
    uint8_t Code;
    int ReadSize;
    int WriteSize;
    bool Ethernet;
    bool Wifi;
};
const TBlockDef kBlocks[] = {
    {kEthSettings, 28, 27, true, false},
    {kTimeouts, 16, 16, true, true},
    {kEthState, 5, -1, true, false},
    {169, 82, 81, false, true},   // outside access point SSID, zero-filled text
    {170, 82, 81, false, true},   // its password, masked when written
    {171, 82, 81, false, true},   // own access point SSID
    {172, 82, 81, false, true},   // its password, masked when written
    {kJapSettings, 20, 19, false, true},
    {kSapSettings, 24, 23, false, true},
    {kServerSettings, 3, 3, false, true},
    {176, 16, 15, false, true},   // network name, 15 characters padded with spaces
    {kWifiState, 48, -1, false, true},
    {kRestart, -1, 0, true, true},
};

// Password masking of blocks 170 and 172: byte i is XORed with serial
// character i mod 8 and with a mask byte that starts per block and grows by a
// fixed step. The utility's writer must use the same numbers.
constexpr uint8_t kOutsideMaskStart = 0x3C;
constexpr uint8_t kOwnMaskStart = 0xC3;
constexpr uint8_t kMaskStep = 0x17;

constexpr qint64 kRestartPhaseMs = 500;   // a restart runs through nine phases
constexpr int kRestartPhases = 9;

const TBlockDef* FindBlock(uint8_t code)
{
    for (const TBlockDef& def : kBlocks)
        if (def.Code == code) return &def;
    return nullptr;
}

QByteArray Ip(int a, int b, int c, int d)
{
    const char bytes[4] = {char(a), char(b), char(c), char(d)};
    return QByteArray(bytes, 4);
}

QByteArray Text(const QByteArray& text, int size, char fill = 0)
{
    return text.left(size) + QByteArray(qMax(0, size - int(text.size())), fill);
}

}  // namespace

void SimMeter::LoadFactoryModule()
{
    // 111 EthSettings: MAC, IP, mask, gateway, TCP ports 1-4 (u16), routing bits, reserved.
    QByteArray eth = QByteArray("\x02\x00\x5A\x56\x33\x01", 6) + Ip(192, 168, 0, 200) + Ip(255, 255, 255, 0)
                     + Ip(192, 168, 0, 1);
    AppendU16(eth, 10001);
    eth.append(6, 0);
    eth.append(char(0x01));
    eth.append(char(0));
    Stored[Key(69, kEthSettings)] = eth;
    // 137 ModuleTimeouts: reserved u16, no-exchange time-out, restart time-out,
    // reconnect time-out (seconds, u16), 8 reserved bytes.
    QByteArray timeouts(16, 0);
    PutU16(timeouts, 2, 60);
    PutU16(timeouts, 4, 1100);
    PutU16(timeouts, 6, 30);
    Stored[Key(69, kTimeouts)] = timeouts;
    Stored[Key(69, 169)] = Text("HomeNet", 82);
    Stored[Key(69, 170)] = Text("", 82);
    Stored[Key(69, 171)] = Text("ZV301-" + Serial.toLatin1(), 82);
    Stored[Key(69, 172)] = Text("12345678", 82);
    // 173 JapSettings: IP, mask, gateway, access point MAC, flags (bit 0 join,
    // bit 1 automatic IP), reserved.
    Stored[Key(69, kJapSettings)] = QByteArray(18, 0) + QByteArray("\x02\x00", 2);
    // 174 SapSettings: IP, mask, gateway, channel, encryption, DHCP first and
    // last address, flags (bit 0 create, bit 1 automatic DHCP, bit 7 hidden), reserved.
    Stored[Key(69, kSapSettings)] = Ip(192, 168, 4, 1) + Ip(255, 255, 255, 0) + Ip(192, 168, 4, 1)
                                    + QByteArray("\x06\x04", 2) + Ip(192, 168, 4, 10) + Ip(192, 168, 4, 50)
                                    + QByteArray("\x03\x00", 2);
    // 175 ServerSettings: TCP server port u16, flags (bit 0 routing, bit 1 network name).
    QByteArray server;
    AppendU16(server, 10001);
    server.append(char(0x01));
    Stored[Key(69, kServerSettings)] = server;
    Stored[Key(69, 176)] = Text("ZV301", 15, ' ') + QByteArray(1, 0);
}

bool SimMeter::HasModuleBlocks() const
{
    return ModuleKind == kEthernet || ModuleKind == kWifi;
}

// 68: module ID (8 characters), 4 reserved bytes, kind, kind found installed.
SimReply SimMeter::ReadModuleRecord(const TArgs&) const
{
    static const char* const kIds[] = {"        ", "MOD1-2IF", "MOD2-GSM", "MOD3-ETH", "MOD4-WIF", "MOD5-PSH"};
    QByteArray b = ModuleKind < 6 ? QByteArray(kIds[ModuleKind]) : Text("MOD" + QByteArray::number(ModuleKind), 8, ' ');
    b.append(4, 0);
    b.append(char(ModuleKind));
    b.append(char(ModuleInstalled));
    return {0, b};
}

SimReply SimMeter::ReadModuleBlock(const TArgs& a) const
{
    const TBlockDef* def = FindBlock(a.A1);
    if (!def || def->ReadSize < 0 || !(ModuleKind == kEthernet ? def->Ethernet : def->Wifi)) return {3, {}};
    if (def->Code == kEthState) return {0, EthernetState()};
    if (def->Code == kWifiState) return {0, WifiState()};
    return {0, StoredValue(69, def->Code)};
}

uint8_t SimMeter::WriteModuleBlock(const TArgs& a)
{
    const TBlockDef* def = FindBlock(a.Index);
    if (!def || def->WriteSize != a.Data.size() || !(ModuleKind == kEthernet ? def->Ethernet : def->Wifi)) return 3;
    if (def->Code == kRestart) {
        RestartStartMs = QDateTime::currentMSecsSinceEpoch();
        return 0;
    }
    QByteArray block = StoredValue(69, def->Code);
    block.replace(0, a.Data.size(), a.Data);
    if (def->Code == 170 || def->Code == 172) {
        if (a.Data[80] != 0) return 3;
        const QByteArray serial = SerialText();
        uint8_t mask = def->Code == 170 ? kOutsideMaskStart : kOwnMaskStart;
        for (int i = 0; i < 80; ++i, mask = uint8_t(mask + kMaskStep))
            block[i] = char(uint8_t(block[i]) ^ uint8_t(serial[i % 8]) ^ mask);
    }
    Stored[Key(69, def->Code)] = block;
    return 0;
}

int SimMeter::RestartPhase() const
{
    if (RestartStartMs < 0) return -1;
    const qint64 phase = (QDateTime::currentMSecsSinceEpoch() - RestartStartMs) / kRestartPhaseMs;
    return phase < kRestartPhases ? int(phase) + 1 : -1;
}

// 155 EthState: module state (255 restarting, 80 + bits of the connections in
// use), then the state of connections 1-4 (20 waiting, 0 closed).
QByteArray SimMeter::EthernetState() const
{
    QByteArray b(5, 0);
    if (RestartPhase() >= 0) {
        b[0] = char(255);
        return b;
    }
    const QByteArray eth = StoredValue(69, kEthSettings);
    int used = 0;
    for (int i = 0; i < 4; ++i) {
        if (GetU16(eth, 18 + 2 * i) == 0) continue;
        used |= 1 << i;
        b[1 + i] = 20;
    }
    b[0] = char(80 | used);
    return b;
}

// 180 WifiState: the addresses in use on the outside and the own access
// point with their states, the module state, five connection states, the
// restart phase and the two MAC addresses.
QByteArray SimMeter::WifiState() const
{
    QByteArray b(48, 0);
    const int phase = RestartPhase();
    if (phase >= 0) {
        b[28] = char(255);
        b[35] = char(phase);
        return b;
    }
    const QByteArray jap = StoredValue(69, kJapSettings);
    if (jap[18] & 0x01) {
        const QByteArray addresses = (jap[18] & 0x02) ? Ip(192, 168, 1, 57) + Ip(255, 255, 255, 0) + Ip(192, 168, 1, 1)
                                                      : jap.left(12);
        b.replace(0, 12, addresses);
        b[12] = char(85);
    }
    const QByteArray sap = StoredValue(69, kSapSettings);
    if (sap[22] & 0x01) {
        b.replace(14, 12, sap.left(12));
        b[26] = char(85);
    }
    b[28] = char(80);
    if (GetU16(StoredValue(69, kServerSettings), 0) != 0) b[29] = 20;
    b[35] = char(255);
    b.replace(36, 12, QByteArray("\x02\x00\x5A\x57\x49\x01\x02\x00\x5A\x57\x49\x02", 12));
    return b;
}
