// Refused opens on Windows: a COM port is opened for exclusive use, and the
// system answers "access denied" (Qt's permission error) when another
// program has it open. Windows names no holder.
#include "open_failure.h"

SerialOpenFailure ExplainOpenFailure(const QString& portName, QSerialPort::SerialPortError error)
{
    SerialOpenFailure failure;
    failure.Path = portName.toStdString();
    if (error == QSerialPort::PermissionError)
        failure.Why = SerialOpenFailure::Reason::HeldByAnotherProgram;
    else if (error == QSerialPort::DeviceNotFoundError)
        failure.Why = SerialOpenFailure::Reason::Missing;
    return failure;
}
