// The device frames of a whole job, as the simulated equipment received
// them, against the recording of the same job made when the mixer core ran
// on the window's thread (tests/e2e/data/whole_job_frames.txt): the same
// frames in the same order, the same pauses between them, the flush's holds
// within one tick of where they were. DILUTRA_RECORD_FRAMES=PATH writes the
// recording instead.
#include "rig_fixture.h"
#include "time_units.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTextStream>

#include <algorithm>
#include <cmath>

namespace {

struct Frame {
    double Ms;  // since the job began
    QString Line;
};

QString Hex(const std::vector<std::uint8_t>& bytes)
{
    QStringList parts;
    for (std::uint8_t b : bytes)
        parts << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0'));
    return parts.join(QLatin1Char(' '));
}

// Setup (ports chosen, validation, both gases), 150 ppm O2 with 7300 ppm
// water for 20 s, a flush and eight Standby ticks after it, 5 s of Bypass,
// and the window closed.
std::vector<Frame> RunJob()
{
    HookedClock clock;
    RecordingDialogs dialogs;
    SimulatedRig rig{clock};
    RegisteredSerialLines lines;
    rig.registerOn(lines);
    const double start = clock.now();
    {
        TForm1 form{TFormServices{clock, dialogs, lines}};
        auto tick = [&] { form.Guarded([&] { form.Timer1Timer(); }); };
        auto run = [&](double seconds) { RunTicks(clock.Fake, tick, seconds); };
        // Ticks as Timer1 delivers them until the status reads `status`,
        // then `more` ticks.
        auto runUntil = [&](const QString& status, int more) {
            for (int n = 0; n < 200 && form.LabelStatus->text() != status; ++n)
                RunTicks(clock.Fake, tick, 0.001);
            for (int n = 0; n < more; ++n)
                RunTicks(clock.Fake, tick, 0.001);
        };
        form.ListBoxPortMFC->addItem(QStringLiteral("SIM-MFC"));
        form.ListBoxPortMFC->setCurrentRow(0);
        form.ListBoxPortSolenoid->addItem(QStringLiteral("SIM-RELAY"));
        form.ListBoxPortSolenoid->setCurrentRow(0);
        form.ButtonSetupValidate->click();
        form.ListBoxSetupGas1->setCurrentRow(0);
        form.ListBoxSetupGas1Click();
        form.ListBoxSetupGas2->setCurrentRow(0);
        form.ListBoxSetupGas2Click();
        form.RtIntegerEditH2OTempValueChanged();
        form.RtIntegerEditGasAPPM->SetValue(150);
        form.RtIntegerEditH2Oppm->SetValue(7300);
        form.ButtonDilution->click();
        run(20);
        form.ButtonFlush->click();
        RunTicks(clock.Fake, tick, 0.001);
        runUntil(QStringLiteral("Standby"), 8);
        form.ButtonBypass->click();
        run(5);
        form.close();
    }
    std::vector<Frame> frames;
    for (const ReceivedFrame& f : rig.mfc.frames())
        frames.push_back({(f.At - start) * MsPerDay, QStringLiteral("mfc ") + Hex(f.Bytes)});
    for (const RelayCommandRecord& c : rig.relay.commands())
        frames.push_back({(c.At - start) * MsPerDay, QStringLiteral("relay ") + Hex(c.Bytes)});
    std::stable_sort(frames.begin(), frames.end(), [](const Frame& a, const Frame& b) { return a.Ms < b.Ms; });
    return frames;
}

}  // namespace

TEST(JobFrames, AWholeJobSendsTheFramesItAlwaysSentWithTheSamePauses)
{
    const std::vector<Frame> now = RunJob();
    const QString record = qEnvironmentVariable("DILUTRA_RECORD_FRAMES");
    if (!record.isEmpty()) {
        QFile out(record);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QTextStream text(&out);
        for (const Frame& f : now)
            text << QString::number(f.Ms, 'f', 3) << ' ' << f.Line << '\n';
        return;
    }

    QFile in(QStringLiteral(DILUTRA_TEST_DATA "/whole_job_frames.txt"));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    std::vector<Frame> before;
    while (!in.atEnd()) {
        const QString line = QString::fromLatin1(in.readLine()).trimmed();
        const qsizetype space = line.indexOf(QLatin1Char(' '));
        before.push_back({line.left(space).toDouble(), line.mid(space + 1)});
    }
    ASSERT_EQ(now.size(), before.size());
    int shifted = 0;
    for (std::size_t i = 0; i < now.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(now[i].Line, before[i].Line);
        if (i == 0)
            continue;
        // The pause since the frame before: the same, but where a flush hold
        // now ends at the first tick after its time.
        const double gapNow = now[i].Ms - now[i - 1].Ms;
        const double gapBefore = before[i].Ms - before[i - 1].Ms;
        if (std::fabs(gapNow - gapBefore) > 0.01) {
            ++shifted;
            EXPECT_GE(gapNow, gapBefore - 0.01);
            EXPECT_LT(gapNow - gapBefore, 300.0);
        }
    }
    // The three holds, and the first Standby tick after the flush.
    EXPECT_LE(shifted, 4);
}
