// The program on the simulated rig, journaled into the folder given as its
// argument, diluting tick after tick on the fake clock until it is killed.
// After each tick it prints the number of ticks done, so the killer knows
// how far it got.
#include "journal_run.h"

#include <QApplication>
#include <QLocale>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    RigFixture f(QString::fromLocal8Bit(argv[1]));
    StartWetDilution(f);
    for (long tick = 1; tick <= 1000000; ++tick) {
        f.RunFor(0.25);
        std::printf("%ld\n", tick);
        std::fflush(stdout);
    }
    return 0;
}
