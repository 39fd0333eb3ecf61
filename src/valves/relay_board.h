#pragma once

#include "serial_response.h"
#include "thermistor.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class Clock;
class SerialLines;
class TSerialPort;

// Where the relay board is: the lines, the clock and its port's name. Every
// operation opens its own port object with the board's line settings and
// runs one transaction.
struct RelayBoard {
    SerialLines& lines;
    Clock& clock;
    std::string port;
};

// The board's line settings: 115200 bit/s, 8 data bits, no parity, two stop
// bits, 5 ms between polls, 50 ms for the first reply byte.
void UseRelayLine(TSerialPort& port, const std::string& portName);

// Sends the valve pattern (bit 0 = V1 ... bit 5 = V6, set = open). The
// board has taken it only when it answers the one byte 85, as it does to the
// board check; anything else fails, naming what came back: "Relay board did
// not confirm valve pattern 19: it answered 85 85" (or "no reply", or the
// port's failure).
TSerialResponse SendValvePattern(const RelayBoard& board, std::uint8_t pattern);

inline constexpr const char* RelayBoardOk = "Relay board controlling solenoids is OK";
inline constexpr const char* RelayBoardNotOk = "Relay board controlling solenoids was NOT OK";

// The board check: the transcript for the Setup page's feedback memo and
// the verdict (the first reply byte is 85).
struct TBoardCheck {
    bool Ok = false;
    TSerialResponse Response;
    std::vector<std::string> Lines;
};
TBoardCheck CheckRelayBoard(const RelayBoard& board);

// One reading of the bubbler thermistor: the lines for the Debug page and,
// for a sound reading, the water vapour pressure at the bubbler (atm).
// A failed transaction, a short reply or an impossible count gives no
// pressure, and the lines say why.
inline constexpr const char* ThermistorOutOfRange = "out of range";
struct TBubblerReading {
    std::vector<std::string> Lines;
    std::optional<TThermistorReading> Thermistor;
    std::optional<float> PressureATM;
    std::string Problem;  // empty for a sound reading
};
TBubblerReading ReadBubbler(const RelayBoard& board);
