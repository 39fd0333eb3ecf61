#include "hex_bytes.h"
#include "modbus_frame.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

TEST(ModbusFrame, CrcMatchesTheModbusCheckValues)
{
    const auto request = Hex("01 03 00 00 00 01");
    EXPECT_EQ(CalculateCRC16(65535, request.data(), 6), 0x0A84);  // sent as 84 0A
    const std::string check = "123456789";
    EXPECT_EQ(CalculateCRC16(65535, reinterpret_cast<const std::uint8_t*>(check.data()), 9), 0x4B37);
    EXPECT_EQ(CalculateCRC16(0x1234, request.data(), 0), 0x1234);
    EXPECT_EQ(CalculateCRC16(0x1234, nullptr, 6), 0x1234);
}

TEST(ModbusFrame, RequestsGoOutByteForByte)
{
    struct Case {
        TArrayOfByte frame;
        const char* hex;
    };
    const Case cases[] = {
        {ReadRegistersFrame(1, 4, 2), "01 03 00 04 00 02 85 CA"},
        {ReadRegistersFrame(1, 24642, 4), "01 03 60 42 00 04 FA 1D"},
        {ReadRegistersFrame(2, 35, 4), "02 03 00 23 00 04 B5 F0"},
        {ReadRegistersFrame(1, 24610, 25), "01 03 60 22 00 19 3A 0A"},
        {ReadRegistersFrame(0x101, 0x10004, 2), "01 03 00 04 00 02 85 CA"},  // only the low bytes go out
        {WriteRegisterFrame(1, 16697, 3), "01 06 41 39 00 03 0D FA"},
        {WriteRegisterFrame(2, 24575, 2), "02 06 5F FF 00 02 2A 1C"},
        {WriteFloatFrame(1, 6, 1.0f), "01 10 00 06 00 02 04 3F 80 00 00 7E 79"},
        {WriteFloatFrame(2, 6, 1.5f), "02 10 00 06 00 02 04 3F C0 00 00 70 E9"},
        {WriteFloatFrame(1, 25472, 0.0f), "01 10 63 80 00 02 04 00 00 00 00 47 3D"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ToHex(c.frame), c.hex);
}

TEST(ModbusFrame, TheReplyIsTheValidFrameThatEndsTheBytesReceived)
{
    struct Case {
        const char* name;
        const char* received;
        std::size_t expectedLength;
        const char* status;
        std::size_t offset;
    };
    const Case cases[] = {
        {"exact", "01 03 04 3F 80 00 00 F7 CF", 9, "", 0},
        {"behind a write's acknowledgement", "01 10 00 06 00 02 A1 C9 01 03 04 3F 80 00 00 F7 CF", 9, "", 8},
        {"behind noise", "00 FF 01 03 01 03 04 3F 80 00 00 F7 CF", 9, "", 4},
        {"followed by noise", "01 03 04 3F 80 00 00 F7 CF 00", 9, StatusWrongAmount, 0},
        {"two replies: the later", "01 03 02 00 0A 38 43 01 03 02 00 0B F9 83", 7, "", 7},
        {"bad CRC", "01 03 04 3F 80 00 00 F7 CE", 9, StatusChecksumError, 0},
        {"other address", "02 03 04 3F 80 00 00 C4 CF", 9, StatusWrongDevice, 0},
        {"other function", "01 04 04 3F 80 00 00 F6 78", 9, StatusUnexpectedFunction, 0},
        {"a write's acknowledgement alone", "01 06 41 39 00 03 0D FA", 7, StatusUnexpectedFunction, 0},
        {"other function, another device's", "02 04 04 3F 80 00 00 C5 78", 9, StatusWrongDevice, 0},
        {"other byte count", "01 03 04 00 0A D8 42", 7, StatusWrongAmount, 0},
        {"exception reply", "01 83 02 C0 F1", 9, "Controller 1 reported exception 2 (Illegal Data Address)", 0},
        {"exception behind noise", "00 01 83 04 40 F3", 7, "Controller 1 reported exception 4 (Server Device Failure)",
         0},
        {"exception without a name", "01 83 09 81 36", 9, "Controller 1 reported exception 9 (Unknown Exception)", 0},
        {"exception with a bad CRC", "01 83 02 C0 F2", 9, StatusWrongAmount, 0},
        {"truncated", "01 03 04 3F 80 00 00 F7", 9, StatusWrongAmount, 0},
        {"too long and no valid frame", "01 03 04 3F 80 00 00 F7 CE 00", 9, StatusWrongAmount, 0},
        {"acknowledgement and a corrupted reply", "01 06 41 39 00 03 0D FA 01 03 02 00 0A 38 44", 7, StatusWrongAmount,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto bytes = Hex(c.received);
        const TReplyLocation found = LocateReadReply(bytes.data(), bytes.size(), 1, c.expectedLength);
        EXPECT_EQ(found.Status, c.status);
        if (found.Status.empty()) {
            EXPECT_EQ(found.Offset, c.offset);
        }
    }
}

TEST(ModbusFrame, FloatsDecodeFromTheirBitPattern)
{
    struct Case {
        const char* data;
        float value;
    };
    const Case cases[] = {
        {"3F 80 00 00", 1.0f},
        {"00 00 00 00", 0.0f},
        {"C2 C8 00 00", -100.0f},
        {"3E 80 00 00", 0.25f},
        {"00 00 00 01", std::numeric_limits<float>::denorm_min()},
        {"7F 80 00 00", std::numeric_limits<float>::infinity()},
        {"FF 80 00 00", -std::numeric_limits<float>::infinity()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeF32(Hex(c.data).data()), c.value) << c.data;
    EXPECT_TRUE(std::isnan(DecodeF32(Hex("7F C0 00 00").data())));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(DecodeF32(Hex("80 00 00 00").data())), 0x80000000u);
}

TEST(ModbusFrame, TextKeepsOnlyItsCharacterSet)
{
    const std::string raw = std::string("N2 -.+:%*,/_Az9") + '\0' + "\x7F\x80\xE9!";
    const std::string text = DecodeText(reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size());
    EXPECT_EQ(text, "N2 %*,/_Az9");
}
