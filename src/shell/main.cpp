#include "clock.h"
#include "form1.h"
#include "operator_dialogs.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dilutra"));

    RealClock clock;
    TQtDialogs dialogs;
    TForm1 form({clock, dialogs});
    form.show();
    return QApplication::exec();
}
