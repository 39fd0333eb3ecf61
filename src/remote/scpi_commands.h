#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// Every command the server answers to.
enum class TScpiCommandId : std::uint8_t {
    Idn,
    Rst,
    Cls,
    Opc,
    SystemError,
    SourceGasA,
    SourceWater,
    MixerState,
    MixerMethod,
    MeasureGasA,
    MeasureWater,
    MeasureFlowA,
    MeasureFlowB,
    MeasureBubbler,
    ProgramClear,
    ProgramStepAdd,
    ProgramStepCount,
    ProgramStart,
    ProgramStop,
    ProgramState,
    Alarm,
    AlarmAcknowledge,
    LogMark,
    LogRows,
};

// One entry of the command tree. `Header` spells each node's short form in
// capitals and the rest of its long form in small letters, an optional node
// in brackets ("SYSTem:ERRor[:NEXT]"); a common command starts with '*'.
// `Parameters` of the setting form, one letter each: 'N' a number, 'B' a
// boolean (0, 1, ON, OFF), 'C' one of `Choices` (long forms, '|' between
// them), 'S' a quoted string. The query form takes none. `Changes`: the
// setting form acts on the rig or the log, and the Debug page shows it.
struct TScpiCommandSpec {
    std::string_view Header;
    TScpiCommandId Id;
    bool Settable;
    bool Queryable;
    std::string_view Parameters;
    std::string_view Choices;
    bool Changes;
};

const std::vector<TScpiCommandSpec>& ScpiCommandTable();
