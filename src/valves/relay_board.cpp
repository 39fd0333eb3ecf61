#include "relay_board.h"

#include "clock.h"
#include "compounds.h"
#include "day_count.h"
#include "general_format.h"
#include "relay_commands.h"
#include "serial_port.h"

#include <algorithm>

namespace {

// Text of a double as the memo shows numbers: up to 15 significant digits.
std::string Number(double v)
{
    return GeneralFormat(v, 15, 0).toStdString();
}

TSerialResponse Transact(const RelayBoard& board, const std::uint8_t* bytes, std::uint32_t size)
{
    TSerialPort port(board.lines, board.clock);
    UseRelayLine(port, board.port);
    TSerialResponse response;
    port.SendData(bytes, size, true, response);
    return response;
}

}  // namespace

void UseRelayLine(TSerialPort& port, const std::string& portName)
{
    port.Port = portName;
    port.BaudRate = 115200;
    port.StopBits = 2;
    port.Parity = 0;
    port.WindowsReadLoopTimeoutMS = 5;
    port.ReadoutTimeoutMS = 50;
}

TSerialResponse SendValvePattern(const RelayBoard& board, std::uint8_t pattern)
{
    const auto command = SetValvesCommand(pattern);
    TSerialResponse r = Transact(board, command.data(), static_cast<std::uint32_t>(command.size()));
    if (r.Status.empty() && r.ReceivedCount == 1 && r.rArray[0] == BoardCheckOk)
        return r;
    // Whatever else came back (garbage, a wrong byte, a flood) is no
    // acknowledgement: the relays may not be as asked.
    std::string why;
    if (r.Status == StatusTimeout) {
        why = "no reply";
    } else if (!r.Status.empty()) {
        why = r.Status;
    } else {
        constexpr std::size_t shown = 16;
        why = "it answered";
        for (std::size_t i = 0; i < std::min(r.ReceivedCount, shown); ++i)
            why += " " + std::to_string(r.rArray[i]);
        if (r.ReceivedCount > shown)
            why += " ... (" + std::to_string(r.ReceivedCount) + " bytes)";
    }
    r.Status = "Relay board did not confirm valve pattern " + std::to_string(pattern) + ": " + why;
    return r;
}

TBoardCheck CheckRelayBoard(const RelayBoard& board)
{
    TBoardCheck check;
    check.Lines.push_back(
        "Time  0: " + DayCountToDateTime(board.clock.wallNow()).toString(QStringLiteral("hh:mm:ss.zzz")).toStdString());
    TSerialPort port(board.lines, board.clock);
    UseRelayLine(port, board.port);
    port.SendData(BoardCheckCommand.data(), static_cast<std::uint32_t>(BoardCheckCommand.size()), true, check.Response);
    // The port's trace: empty, tracing is off for the board check.
    check.Lines.push_back(port.DebugMSG.toStdString());
    check.Lines.push_back("Write 254 33  : " + std::to_string(BoardCheckCommand[0]) + " "
                          + std::to_string(BoardCheckCommand[1]));
    check.Lines.push_back("Comm Status   : " + check.Response.Status);
    // Nothing received leaves the first byte of the fresh record: 0. A reply
    // filling the whole read buffer counts 0 modulo 256 but is a reply.
    const std::uint8_t first = check.Response.ReceivedCount > 0 ? check.Response.rArray[0] : 0;
    check.Lines.push_back("Comm Response : " + std::to_string(first));
    check.Ok = check.Response.Status.empty() && check.Response.ReceivedCount > 0 && first == BoardCheckOk;
    check.Lines.push_back(check.Ok ? RelayBoardOk : RelayBoardNotOk);
    return check;
}

TBubblerReading ReadBubbler(const RelayBoard& board)
{
    TBubblerReading reading;
    const TSerialResponse response
        = Transact(board, ReadAnalogueCommand.data(), static_cast<std::uint32_t>(ReadAnalogueCommand.size()));
    if (!response.Status.empty() || response.ReceivedCount < 2) {
        // Bytes that never arrived are not a temperature.
        reading.Problem = response.Status.empty() ? "short reply" : response.Status;
        reading.Lines.push_back("Thermistor reading failed: " + reading.Problem);
        return reading;
    }
    const int dac = DacFromReply(response.rArray[0], response.rArray[1]);
    reading.Lines.push_back("0-1024 DAC = " + std::to_string(dac));
    reading.Thermistor = ThermistorFromDac(dac);
    if (!reading.Thermistor) {
        // A shorted or open thermistor, or a count the divider cannot give:
        // no vapour pressure is made of it.
        reading.Problem = ThermistorOutOfRange;
        reading.Lines.push_back("Thermistor reading out of range: DAC = " + std::to_string(dac));
        return reading;
    }
    reading.Lines.push_back("Voltage    = " + Number(reading.Thermistor->Volt));
    reading.Lines.push_back("Ohm        = " + Number(reading.Thermistor->Ohm));
    reading.PressureATM = GetH2OPressureATM(static_cast<float>(reading.Thermistor->TemperatureC));
    return reading;
}
