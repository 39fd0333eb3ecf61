#include "device_model.h"

double ByteTimeMs(const SerialFraming& framing)
{
    const double parityBits = framing.Parity == 0 ? 0.0 : 1.0;
    const double stopBits = framing.StopBits == 0 ? 1.0 : framing.StopBits == 1 ? 1.5 : 2.0;
    const double bits = 1.0 + 8.0 + parityBits + stopBits;
    const double baud = framing.BaudRate > 0 ? framing.BaudRate : 9600;
    return bits * 1000.0 / baud;
}
