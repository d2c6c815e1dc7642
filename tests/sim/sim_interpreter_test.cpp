// The unit's command interpreter on its own: exact replies, every refusal,
// and nothing of a refused command applied.
#include <cstring>
#include <string>

#include "protocol/glyph.h"
#include "sim/live_status.h"
#include "sim/unit_clock.h"
#include "sim_test_support.h"

namespace {

class SimInterpreterTest : public ::testing::Test {
protected:
    std::unique_ptr<SimUnit> unit = MakeTestUnit();
    DeviceModelData& s = unit->settings;

    std::string Go(const std::string& command) { return Ask(*unit, command); }

    // The command is refused and leaves every setting as it was.
    void ExpectRefused(const std::string& command)
    {
        SCOPED_TRACE(command);
        auto before = std::make_unique<SimUnit>(*unit);
        EXPECT_EQ(Ask(*unit, command), "E3\r\n");
        EXPECT_EQ(memcmp(&before->settings, &unit->settings, sizeof unit->settings), 0);
        EXPECT_EQ(memcmp(before->titleCodes, unit->titleCodes, sizeof unit->titleCodes), 0);
        EXPECT_EQ(memcmp(before->smallGlyphs, unit->smallGlyphs, sizeof unit->smallGlyphs), 0);
        EXPECT_EQ(memcmp(before->mediumGlyphs, unit->mediumGlyphs, sizeof unit->mediumGlyphs), 0);
        EXPECT_EQ(memcmp(before->largeGlyphs, unit->largeGlyphs, sizeof unit->largeGlyphs), 0);
        EXPECT_EQ(before->clock.secondsAtAnchor, unit->clock.secondsAtAnchor);
    }
};

const std::string kCrLf = "\r\n";

// ---- Start values as the reads report them -----------------------------------------

TEST_F(SimInterpreterTest, ReadsReportTheProgramsStartValues)
{
    EXPECT_EQ(Go("ROP"), "OP01\r\n");
    EXPECT_EQ(Go("ROP01"), "OP01I01I02I03I04I05I06I07I08I09I10I11I12I13I14I15I16\r\n");
    EXPECT_EQ(Go("RSP32"), "SP32" + Times("03", 64) + kCrLf);
    EXPECT_EQ(Go("ROE"), "OE" + Times("N", 16) + kCrLf);
    EXPECT_EQ(Go("RAIP"), "AIPM\r\n");
    EXPECT_EQ(Go("RADT"), "ADT10\r\n");
    EXPECT_EQ(Go("RABOO"), "ABOON\r\n");
    EXPECT_EQ(Go("RAOM"), "AOM" + Times("NFFF", 64) + kCrLf);
    EXPECT_EQ(Go("RAOS"), "AOS" + Times("NFFFFF", 64) + kCrLf);
    EXPECT_EQ(Go("RCTSI"), "CTSI" + Times("M", 64) + kCrLf);
    EXPECT_EQ(Go("RCTPI"), "CTPI" + Times("B", 64) + kCrLf);
    EXPECT_EQ(Go("RCTAT"), "CTAT08\r\n");
    EXPECT_EQ(Go("RPN"), "PN482913\r\n");
    EXPECT_EQ(Go("RTSDR"), "TSDR1\r\n");
    // Default title of channel 2: eight full-width spaces and ＣＨ０２.
    EXPECT_EQ(Go("RCT02"), "CT02" + Times("2121", 8) + "2343234823302332" + Times("2121", 16) + kCrLf);
}

TEST_F(SimInterpreterTest, NetworkReadsUseTheSetCommandsForms)
{
    EXPECT_EQ(Go("REIA"), "EIA192.168.001.003\r\n");
    EXPECT_EQ(Go("REGA"), "EGA192.168.001.002\r\n");
    EXPECT_EQ(Go("REAA"), "EAA192.168.001.004\r\n");
    EXPECT_EQ(Go("RESM"), "ESM255.255.255.000\r\n");
    EXPECT_EQ(Go("RECT"), "ECTOF\r\n");
    EXPECT_EQ(Go("REKA"), "EKAOF\r\n");
    EXPECT_EQ(Go("RETR"), "ETR6\r\n");
    EXPECT_EQ(Go("RESPN"), "ESPN09004\r\n");
    EXPECT_EQ(Go("REDPN"), "EDPN09004\r\n");
    EXPECT_EQ(Go("REMA"), "EMA02-4B-56-52-00-01\r\n");
}

TEST_F(SimInterpreterTest, IdentificationFitsEachSidesParser)
{
    const std::string serial = Ask(*unit, "RVN", 0, kSimLinkSerial);
    EXPECT_EQ(serial, "KVR-2840E ver 1.00\r\n");
    EXPECT_EQ(serial.substr(14, 4), "1.00");
    EXPECT_EQ(serial.substr(18), kCrLf);
    const std::string tcp = Ask(*unit, "RVN", 0, kSimLinkTcp);
    EXPECT_EQ(tcp, "VN KVR-2840E v1.00\r\n");
    EXPECT_EQ(tcp.substr(14, 4), "1.00");
    EXPECT_EQ(tcp.substr(18), kCrLf);
}

TEST_F(SimInterpreterTest, MacAddressCarriesTheUnitNumber)
{
    auto other = MakeTestUnit(96);
    EXPECT_EQ(Ask(*other, "REMA"), "EMA02-4B-56-52-00-60\r\n");
}

// ---- Routing -------------------------------------------------------------------

TEST_F(SimInterpreterTest, PatternRecallCopiesIntoTheFreeLayout)
{
    EXPECT_EQ(Go("OP0516S02"), "GO\r\n");
    EXPECT_EQ(Go("OP05"), "GO\r\n");
    EXPECT_EQ(s.CurrentDisplayPattern, 4);
    EXPECT_EQ(s.DisplayPatternTable[kFreePattern][15], 65);
    EXPECT_EQ(Go("ROP"), "OP05\r\n");
    EXPECT_EQ(Go("OPFR"), "GO\r\n");
    EXPECT_EQ(Go("ROP"), "OPFR\r\n");
    EXPECT_EQ(s.CurrentDisplayPattern, kFreePattern);
}

TEST_F(SimInterpreterTest, PatternStores)
{
    const std::string row = "I64S01S32I01I02I03I04I05I06I07I08I09I10I11I12I13";
    EXPECT_EQ(Go("OP32" + row), "GO\r\n");
    EXPECT_EQ(Go("ROP32"), "OP32" + row + kCrLf);
    EXPECT_EQ(s.DisplayPatternTable[31][0], 63);
    EXPECT_EQ(s.DisplayPatternTable[31][1], 64);
    EXPECT_EQ(s.DisplayPatternTable[31][2], 95);
    EXPECT_EQ(Go("OP0316I64"), "GO\r\n");
    EXPECT_EQ(s.DisplayPatternTable[2][15], 63);
}

TEST_F(SimInterpreterTest, FreeLayoutStores)
{
    EXPECT_EQ(Go("O05I03"), "GO\r\n");
    EXPECT_EQ(s.DisplayPatternTable[kFreePattern][4], 2);
    EXPECT_EQ(Go("OS" + Times("S07", 16)), "GO\r\n");
    for (int o = 0; o < kOutputCount; ++o)
        EXPECT_EQ(s.DisplayPatternTable[kFreePattern][o], 70);
    // The stored patterns are untouched.
    EXPECT_EQ(s.DisplayPatternTable[0][4], 4);
}

TEST_F(SimInterpreterTest, RoutingRefusals)
{
    for (const char* bad : {"OP00", "OP33", "OPF", "OPFRX", "OPXX", "OP0000I01", "OP0100I01", "OP0117I01", "OP0101I65",
                            "OP0101S33", "OP0101S00", "OP0101X01", "OP0101I0A", "O00I01", "O17I01", "O01I00",
                            "O01", "OS", "ROP00", "ROP33", "ROPFR", "ROP1", "RSP00", "RSP33", "ROEX", "ROSS",
                            "ROCD1", "RVL0"})
        ExpectRefused(bad);
    ExpectRefused("OP01" + Times("I01", 15));
    ExpectRefused("OP01" + Times("I01", 15) + "I65");
    ExpectRefused("OS" + Times("I01", 15) + "Q01");
    ExpectRefused("OS" + Times("I01", 17));
}

TEST_F(SimInterpreterTest, AutoSwitchStores)
{
    EXPECT_EQ(Go("SP326400"), "GO\r\n");
    EXPECT_EQ(s.AutoSwitchPatternTable[31][63], 0);
    EXPECT_EQ(Go("SP01" + Times("99", 64)), "GO\r\n");
    EXPECT_EQ(Go("RSP01"), "SP01" + Times("99", 64) + kCrLf);
    for (const char* bad : {"SP000101", "SP330101", "SP016501", "SP01000A", "SP0101", "SP01010101"})
        ExpectRefused(bad);
    ExpectRefused("SP01" + Times("99", 63));
    ExpectRefused("SP01" + Times("99", 63) + "9X");
}

TEST_F(SimInterpreterTest, VideoOutputs)
{
    EXPECT_EQ(Go("OE03OF"), "GO\r\n");
    EXPECT_EQ(s.VideoOutputEnable[2], 0);
    EXPECT_EQ(Go("OE16ON"), "GO\r\n");
    EXPECT_EQ(Go("OEFNFNFNFNFNFNFNFN"), "GO\r\n");
    EXPECT_EQ(Go("ROE"), "OEFNFNFNFNFNFNFNFN\r\n");
    // Output 1 is not switched on its own.
    for (const char* bad : {"OE01OF", "OE01ON", "OE17ON", "OE02OX", "OE02O", "OEFNFNFNFNFNFNFNF", "OEFNFNFNFNFNFNFNFX"})
        ExpectRefused(bad);
}

// ---- Alarm ---------------------------------------------------------------------

TEST_F(SimInterpreterTest, AlarmSettings)
{
    EXPECT_EQ(Go("AIPB"), "GO\r\n");
    EXPECT_EQ(s.AlarmSettings.inputPolarity, 1);
    EXPECT_EQ(Go("ADT07"), "GO\r\n");
    EXPECT_EQ(s.AlarmSettings.holdTime, 7);
    EXPECT_STREQ(s.AlarmSettings.holdTimeText, "7");
    EXPECT_EQ(Go("RADT"), "ADT07\r\n");
    EXPECT_EQ(Go("ABOOF"), "GO\r\n");
    EXPECT_EQ(Go("ADOF"), "GO\r\n");
    EXPECT_EQ(Go("AROF"), "GO\r\n");
    EXPECT_EQ(Go("RABOO"), "ABOOF\r\n");
    EXPECT_EQ(Go("RADO"), "ADOF\r\n");
    EXPECT_EQ(Go("RARO"), "AROF\r\n");
    for (const char* bad : {"AIPX", "AIP", "AIPMM", "ADT00", "ADT100", "ADT7", "ADT0A", "ABOOX", "ABOO",
                            "ADON1", "AROX", "RAIPX", "RADT1"})
        ExpectRefused(bad);
}

TEST_F(SimInterpreterTest, AlarmInputAndOutputs)
{
    EXPECT_EQ(Go("AIN32I64"), "GO\r\n");
    EXPECT_EQ(s.AlarmInputChannel[31], 63);
    std::string all;
    for (int i = 0; i < kAlarmInputCount; ++i)
        all += std::to_string(64 - i);   // inputs 64 down to 33: two digits each
    EXPECT_EQ(Go("AIN" + all), "GO\r\n");
    EXPECT_EQ(s.AlarmInputChannel[0], 63);
    EXPECT_EQ(s.AlarmInputChannel[31], 32);
    EXPECT_EQ(Go("RAIN"), "AIN" + all + kCrLf);

    EXPECT_EQ(Go("AOM64FNNF"), "GO\r\n");
    EXPECT_EQ(s.AlarmVideoOutput[63][1], 1);
    EXPECT_EQ(s.AlarmVideoOutput[63][0], 0);
    EXPECT_EQ(Go("AOS01FFFFFN"), "GO\r\n");
    EXPECT_EQ(s.AlarmSignalOutput[0][5], 1);
    EXPECT_EQ(Go("AOM" + Times("FFFF", 64)), "GO\r\n");
    EXPECT_EQ(Go("RAOM"), "AOM" + Times("FFFF", 64) + kCrLf);
    EXPECT_EQ(Go("AOS" + Times("NNNNNN", 64)), "GO\r\n");
    EXPECT_EQ(Go("RAOS"), "AOS" + Times("NNNNNN", 64) + kCrLf);

    for (const char* bad : {"AIN00I01", "AIN33I01", "AIN01I00", "AIN01I65", "AIN01X01", "AIN01I1",
                            "AOM00NNNN", "AOM65NNNN", "AOM01NNNX", "AOM01NNN", "AOS01NNNNN", "AOS01NNNNNX"})
        ExpectRefused(bad);
    ExpectRefused("AIN" + Times("01", 31));
    ExpectRefused("AIN" + Times("01", 31) + "65");
    ExpectRefused("AOM" + Times("NNNN", 63) + "NNNX");
    ExpectRefused("AOS" + Times("NNNNNN", 63));
}

// ---- Date and time -----------------------------------------------------------------

TEST_F(SimInterpreterTest, ClockCommandsSetTheUnitClock)
{
    EXPECT_EQ(Go("DSY25"), "GO\r\n");
    EXPECT_EQ(Go("DSM12"), "GO\r\n");
    EXPECT_EQ(Go("DSD31"), "GO\r\n");
    EXPECT_EQ(Go("TSH23"), "GO\r\n");
    EXPECT_EQ(Go("TSM59"), "GO\r\n");
    EXPECT_EQ(Go("TSS31"), "GO\r\n");
    DateTimeFields f = ReadUnitClock(unit->clock, 0);
    EXPECT_EQ(f.year, 2025);
    EXPECT_EQ(f.month, 12);
    EXPECT_EQ(f.day, 31);
    EXPECT_EQ(f.hour, 23);
    EXPECT_EQ(f.minute, 59);
    EXPECT_EQ(f.second, 31);
    // The 30-second correction rounds up into the next year here.
    EXPECT_EQ(Go("TSA"), "GO\r\n");
    f = ReadUnitClock(unit->clock, 0);
    EXPECT_EQ(f.year, 2026);
    EXPECT_EQ(f.month, 1);
    EXPECT_EQ(f.day, 1);
    EXPECT_EQ(f.hour, 0);
    EXPECT_EQ(f.minute, 0);
    EXPECT_EQ(f.second, 0);
    for (const char* bad : {"DSY100", "DSY9", "DSM00", "DSM13", "DSD00", "DSD32", "TSH24", "TSM60", "TSS60",
                            "TSS5", "TSA1", "DSYAB"})
        ExpectRefused(bad);
}

TEST_F(SimInterpreterTest, DateTimeOverlay)
{
    EXPECT_EQ(Go("TSDR8"), "GO\r\n");
    EXPECT_EQ(s.DateTimeFormat, 7);
    EXPECT_EQ(Go("TSDSS"), "GO\r\n");
    EXPECT_EQ(Go("RTSDS"), "TSDSS\r\n");
    EXPECT_EQ(Go("TSI64OF"), "GO\r\n");
    EXPECT_EQ(s.DateTimeDisplayInput[63], 0);
    EXPECT_EQ(Go("TSO16OF"), "GO\r\n");
    EXPECT_EQ(Go("RTSO"), "TSO" + Times("N", 15) + "F" + kCrLf);
    EXPECT_EQ(Go("TSI" + Times("FN", 32)), "GO\r\n");
    EXPECT_EQ(Go("RTSI"), "TSI" + Times("FN", 32) + kCrLf);
    for (const char* bad : {"TSDR0", "TSDR9", "TSDR", "TSDSX", "TSI00OF", "TSI65OF", "TSI01OX", "TSO17ON",
                            "TSO01ONN"})
        ExpectRefused(bad);
    ExpectRefused("TSI" + Times("N", 63));
    ExpectRefused("TSO" + Times("N", 15) + "X");
}

// ---- Titles ------------------------------------------------------------------------

TEST_F(SimInterpreterTest, TitleStoreAndRead)
{
    const std::string codes = "2343234823302332" + Times("2121", 24);
    EXPECT_EQ(Go("CT64" + codes), "GO\r\n");
    EXPECT_EQ(unit->titleCodes[63][0], 0x2343);
    EXPECT_EQ(Go("RCT64"), "CT64" + codes + kCrLf);
    // Lower-case hexadecimal is still hexadecimal.
    EXPECT_EQ(Go("CT01" + Times("7e7e", 28)), "GO\r\n");
    EXPECT_EQ(Go("RCT01"), "CT01" + Times("7E7E", 28) + kCrLf);
}

TEST_F(SimInterpreterTest, TitleRefusals)
{
    ExpectRefused("CT00" + Times("2121", 28));
    ExpectRefused("CT65" + Times("2121", 28));
    ExpectRefused("CT01" + Times("2121", 27));
    ExpectRefused("CT01" + Times("2121", 29));
    ExpectRefused("CT01" + Times("2121", 27) + "212G");
    // Codes outside JIS X 0208: a byte below 0x21 or above 0x7E.
    ExpectRefused("CT01" + Times("2121", 27) + "2120");
    ExpectRefused("CT01" + Times("2121", 27) + "7F21");
    ExpectRefused("CT01" + Times("2121", 27) + "A365");
    ExpectRefused("RCT00");
    ExpectRefused("RCT1");
}

TEST_F(SimInterpreterTest, TitleDisplayPositionSize)
{
    EXPECT_EQ(Go("CTI05OF"), "GO\r\n");
    EXPECT_EQ(s.TitleDisplayInput[4], 0);
    EXPECT_EQ(Go("CTO16OF"), "GO\r\n");
    EXPECT_EQ(s.TitleDisplayOutput[15], 0);
    EXPECT_EQ(Go("CTPI03T"), "GO\r\n");
    EXPECT_EQ(s.TitlePosition[2], 1);
    EXPECT_EQ(Go("CTSI04S"), "GO\r\n");
    EXPECT_EQ(s.TitleFontSize[3], 2);
    EXPECT_EQ(Go("CTSI" + Times("LMS", 21) + "L"), "GO\r\n");
    EXPECT_EQ(Go("RCTSI"), "CTSI" + Times("LMS", 21) + "L" + kCrLf);
    EXPECT_EQ(Go("CTPI" + Times("T", 64)), "GO\r\n");
    EXPECT_EQ(Go("RCTPI"), "CTPI" + Times("T", 64) + kCrLf);
    EXPECT_EQ(Go("CTI" + Times("F", 64)), "GO\r\n");
    EXPECT_EQ(Go("RCTI"), "CTI" + Times("F", 64) + kCrLf);
    EXPECT_EQ(Go("CTO" + Times("NF", 8)), "GO\r\n");
    EXPECT_EQ(Go("RCTO"), "CTO" + Times("NF", 8) + kCrLf);
    EXPECT_EQ(Go("CTAT16"), "GO\r\n");
    EXPECT_EQ(Go("CTAB01"), "GO\r\n");
    EXPECT_EQ(Go("RCTAT"), "CTAT16\r\n");
    EXPECT_EQ(Go("RCTAB"), "CTAB01\r\n");
    for (const char* bad : {"CTI00ON", "CTI65ON", "CTO17ON", "CTPI01X", "CTPI65T", "CTSI01X", "CTSI00L",
                            "CTAT00", "CTAT17", "CTAB1", "CTAX01", "CTI01O"})
        ExpectRefused(bad);
    ExpectRefused("CTSI" + Times("L", 63) + "X");
    ExpectRefused("CTPI" + Times("T", 65));
}

// ---- Panel lock --------------------------------------------------------------------

TEST_F(SimInterpreterTest, PanelLock)
{
    EXPECT_EQ(Go("POON"), "GO\r\n");
    EXPECT_EQ(Go("PMON"), "GO\r\n");
    EXPECT_EQ(Go("PN000000"), "GO\r\n");
    EXPECT_EQ(Go("RPOO"), "POON\r\n");
    EXPECT_EQ(Go("RPMO"), "PMON\r\n");
    EXPECT_EQ(Go("RPN"), "PN000000\r\n");
    for (const char* bad : {"POOX", "PMO", "PN12345", "PN1234567", "PN12345A"})
        ExpectRefused(bad);
}

// ---- Glyphs ------------------------------------------------------------------------

TEST_F(SimInterpreterTest, GlyphRegistrationAndRead)
{
    const std::string small = "80" + Times("0", 142);
    EXPECT_EQ(Go("GRS005" + small), "GO\r\n");
    EXPECT_EQ(unit->smallGlyphs[4][0], 0x80);
    // Slot 5 is code A369; the reply repeats the code as asked.
    EXPECT_EQ(Go("RFBMSA369"), "FBMSA369" + small + kCrLf);
    // The same slot of another size is its own glyph.
    EXPECT_EQ(Go("RFBMMA369"), "FBMMA369" + Times("00", 128) + kCrLf);

    const std::string large = Times("A5", 288);
    EXPECT_EQ(Go("GRL070" + large), "GO\r\n");
    EXPECT_EQ(Go("RFBML" + std::string("A44C")), "FBMLA44C" + large + kCrLf);
    const std::string medium = Times("0F", 128);
    EXPECT_EQ(Go("GRM160" + medium), "GO\r\n");
    EXPECT_EQ(Go("RFBMMA548"), "FBMMA548" + medium + kCrLf);
    EXPECT_EQ(Go("GRS256" + Times("ff", 72)), "GO\r\n");
    EXPECT_EQ(Go("RFBMSA64A"), "FBMSA64A" + Times("FF", 72) + kCrLf);
}

TEST_F(SimInterpreterTest, GlyphRefusals)
{
    ExpectRefused("GRS000" + Times("00", 72));
    ExpectRefused("GRS257" + Times("00", 72));
    ExpectRefused("GRM161" + Times("00", 128));
    ExpectRefused("GRL071" + Times("00", 288));
    ExpectRefused("GRS001" + Times("00", 71));
    ExpectRefused("GRS001" + Times("00", 128));   // a MEDIUM bitmap behind a SMALL letter
    ExpectRefused("GRX001" + Times("00", 72));
    ExpectRefused("GRS001" + Times("00", 71) + "0G");
    // A slot the size does not have, and codes that are neither a slot nor JIS.
    ExpectRefused("RFBMLA44D");
    ExpectRefused("RFBMMA549");
    ExpectRefused("RFBMSA364");
    ExpectRefused("RFBMS0000");
    ExpectRefused("RFBMS7F21");
    ExpectRefused("RFBMX2121");
    ExpectRefused("RFBMS212");
    ExpectRefused("RFBMS21212");
}

TEST_F(SimInterpreterTest, StandardCharacterGlyphShowsItsCode)
{
    // The full-width space is empty; another character is framed.
    EXPECT_EQ(Go("RFBMS2121"), "FBMS2121" + Times("00", 72) + kCrLf);
    const std::string reply = Go("RFBML2341");
    ASSERT_EQ(reply.size(), 586u);
    EXPECT_EQ(reply.substr(0, 8), "FBML2341");
    EXPECT_NE(reply.substr(8, 576), Times("00", 288));
    // Echoes the code as written, lower case included.
    EXPECT_EQ(Go("RFBMM234a").substr(0, 8), "FBMM234a");
}

TEST_F(SimInterpreterTest, GlyphInsertionPutsTheSlotCodeIntoTheTitle)
{
    EXPECT_EQ(Go("G003C12I05"), "GO\r\n");
    EXPECT_EQ(unit->titleCodes[11][4], GlyphCodeOfSlot(2));
    EXPECT_EQ(Go("G256C01I28"), "GO\r\n");
    EXPECT_EQ(unit->titleCodes[0][27], 0xA64A);
    EXPECT_EQ(Go("RCT01").substr(4 + 27 * 4, 4), "A64A");
    for (const char* bad : {"G000C01I01", "G257C01I01", "G001C00I01", "G001C65I01", "G001C01I00", "G001C01I29",
                            "G001X01I01", "G001C01X01", "G01C01I01", "G001C01I011"})
        ExpectRefused(bad);
}

// ---- Unit network ----------------------------------------------------------------------

TEST_F(SimInterpreterTest, UnitNetworkSettings)
{
    EXPECT_EQ(Go("EIA010.000.200.007"), "GO\r\n");
    EXPECT_EQ(Go("REIA"), "EIA010.000.200.007\r\n");
    EXPECT_EQ(Go("EGA255.255.255.255"), "GO\r\n");
    EXPECT_EQ(Go("EAA000.000.000.000"), "GO\r\n");
    EXPECT_EQ(Go("ESM255.255.000.000"), "GO\r\n");
    EXPECT_EQ(Go("RESM"), "ESM255.255.000.000\r\n");
    EXPECT_EQ(Go("ECTON"), "GO\r\n");
    EXPECT_EQ(Go("EKAON"), "GO\r\n");
    EXPECT_EQ(Go("RECT"), "ECTON\r\n");
    EXPECT_EQ(Go("REKA"), "EKAON\r\n");
    EXPECT_EQ(Go("ESPN65535"), "GO\r\n");
    EXPECT_EQ(Go("EDPN00001"), "GO\r\n");
    EXPECT_EQ(Go("RESPN"), "ESPN65535\r\n");
    EXPECT_EQ(Go("REDPN"), "EDPN00001\r\n");
    EXPECT_EQ(Go("ETR1"), "GO\r\n");
    EXPECT_EQ(Go("RETR"), "ETR1\r\n");
    for (const char* bad : {"EIA256.000.000.000", "EIA192.168.001", "EIA192,168,001,003", "EIA192.168.1.3",
                            "EGA192.168.001.00A", "ECTNO", "EKAO", "ESPN00000", "ESPN65536", "EDPN9004",
                            "EDPN0900A", "ETR0", "ETR9", "REIAX", "RVN1", "REMA1"})
        ExpectRefused(bad);
}

// ---- Anything else ------------------------------------------------------------------

TEST_F(SimInterpreterTest, UnknownAndEmptyCommandsAreRefused)
{
    for (const char* bad : {"", "X", "HELLO", "op01", "R", "RX", "E", "C", "GO", "MENU", "ROPA"})
        ExpectRefused(bad);
    // A NUL inside a command is no character of any field.
    ExpectRefused(std::string("AIP\0", 4));
}

TEST_F(SimInterpreterTest, ValidatedWithoutApplyingWhenTheUnitRefusesSettings)
{
    UnitReply reply;
    EXPECT_EQ(InterpretCommand(*unit, "OP05", 4, kSimLinkSerial, false, 0, reply), kCommandSet);
    EXPECT_EQ(s.CurrentDisplayPattern, 0);
    EXPECT_EQ(InterpretCommand(*unit, "OP33", 4, kSimLinkSerial, false, 0, reply), kCommandRefused);
    EXPECT_EQ(InterpretCommand(*unit, "ROP", 3, kSimLinkSerial, false, 0, reply), kCommandRead);
    EXPECT_STREQ(reply.text, "OP01\r\n");
}

// ---- Live status -----------------------------------------------------------------------

TEST_F(SimInterpreterTest, LiveStatusFollowsTheCurrentLayoutAndItsCycles)
{
    EXPECT_EQ(Go("SP02" + std::string("0500") + "07" + Times("00", 61)), "GO\r\n");
    EXPECT_EQ(Go("OP0103S02"), "GO\r\n");
    EXPECT_EQ(Ask(*unit, "ROS", 1000), "OSI01I02S02I04I05I06I07I08I09I10I11I12I13I14I15I16\r\n");
    EXPECT_EQ(Ask(*unit, "ROCD", 1000), "OCD01020104050607080910111213141516\r\n");
    // Input 1 for 5 s, input 2 skipped (0 s), input 3 for 7 s, then input 1 again.
    EXPECT_EQ(Ask(*unit, "ROCD", 4999).substr(7, 2), "01");
    EXPECT_EQ(Ask(*unit, "ROCD", 5000).substr(7, 2), "03");
    EXPECT_EQ(Ask(*unit, "ROCD", 11999).substr(7, 2), "03");
    EXPECT_EQ(Ask(*unit, "ROCD", 12000).substr(7, 2), "01");
}

TEST_F(SimInterpreterTest, VideoLossReply)
{
    SimUnit lossy;
    SimUnitSetup setup;
    setup.lostInputs[0] = true;
    setup.lostInputs[63] = true;
    ResetSimUnit(lossy, setup, 0, kTestWallSeconds);
    EXPECT_EQ(Ask(lossy, "RVL"), "VLF" + Times("N", 62) + "F" + kCrLf);
}

} // namespace
