#include "clock.h"
#include "form1.h"
#include "operator_dialogs.h"
#include "system_serial_lines.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dilutra"));

    RealClock clock;
    TQtDialogs dialogs;
    SystemSerialLines lines;
    TForm1 form({clock, dialogs, lines});
    form.show();
    return QApplication::exec();
}
