#include "scpi_commands.h"

const std::vector<TScpiCommandSpec>& ScpiCommandTable()
{
    using Id = TScpiCommandId;
    static const std::vector<TScpiCommandSpec> table = {
        {"*IDN", Id::Idn, false, true, "", "", false},
        {"*RST", Id::Rst, true, false, "", "", true},
        {"*CLS", Id::Cls, true, false, "", "", false},
        {"*OPC", Id::Opc, false, true, "", "", false},
        {"SYSTem:ERRor[:NEXT]", Id::SystemError, false, true, "", "", false},
        {"SOURce:GASA:CONCentration", Id::SourceGasA, true, true, "N", "", true},
        {"SOURce:WATer:CONCentration", Id::SourceWater, true, true, "N", "", true},
        {"MIXer:STATe", Id::MixerState, true, true, "C", "STANdby|FLUSh|BYPass|DILution", true},
        {"MIXer:METHod", Id::MixerMethod, false, true, "", "", false},
        {"MEASure:GASA:CONCentration", Id::MeasureGasA, false, true, "", "", false},
        {"MEASure:WATer:CONCentration", Id::MeasureWater, false, true, "", "", false},
        {"MEASure:GASA:FLOW", Id::MeasureFlowA, false, true, "", "", false},
        {"MEASure:GASB:FLOW", Id::MeasureFlowB, false, true, "", "", false},
        {"MEASure:BUBBler:TEMPerature", Id::MeasureBubbler, false, true, "", "", false},
        {"PROGram:CLEar", Id::ProgramClear, true, false, "", "", false},
        {"PROGram:STEP:ADD", Id::ProgramStepAdd, true, false, "NNNB", "", false},
        {"PROGram:STEP:COUNt", Id::ProgramStepCount, false, true, "", "", false},
        {"PROGram:STARt", Id::ProgramStart, true, false, "", "", true},
        {"PROGram:STOP", Id::ProgramStop, true, false, "", "", true},
        {"PROGram:STATe", Id::ProgramState, false, true, "", "", false},
        {"ALARm", Id::Alarm, false, true, "", "", false},
        {"ALARm:ACKnowledge", Id::AlarmAcknowledge, true, false, "", "", true},
        {"LOG:MARK", Id::LogMark, true, false, "S", "", true},
        {"LOG:ROWS", Id::LogRows, false, true, "", "", false},
    };
    return table;
}
