#include "record_store.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <functional>
#include <tuple>

namespace {

TRecords Sound()
{
    TRecords r;
    r.Sources.push_back({"5%H2,95%Ar", 0.0502, 0.0005, "L-17, blue", "2027-03-31", true});
    r.Sources.push_back({"Ar", 0.999995, 0.000001, "", "", false});
    r.Controllers.push_back({"SN 4711", 0.004, 0.0015, 0.001, "2025-11-02", "2026-11-02", true});
    r.Bubbler = {0.3, 0.98, 0.02, true};
    return r;
}

QByteArray Contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace

TEST(RecordStore, WhatIsSavedLoadsBackWhole)
{
    QTemporaryDir dir;
    // A folder that is not there yet is made.
    const TRecordStore store(dir.filePath(QStringLiteral("new/records.ini")));
    ASSERT_EQ(store.Save(Sound()), "");
    const TRecordsLoad load = store.Load();
    EXPECT_TRUE(load.Problems.empty());
    const TRecords want = Sound();
    ASSERT_EQ(load.Records.Sources.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const TSourceRecord &a = load.Records.Sources[i], &b = want.Sources[i];
        EXPECT_EQ(std::tie(a.Gas, a.Fraction, a.FractionUncertainty, a.Lot, a.Expiry, a.Confirmed),
                  std::tie(b.Gas, b.Fraction, b.FractionUncertainty, b.Lot, b.Expiry, b.Confirmed));
    }
    ASSERT_EQ(load.Records.Controllers.size(), 1u);
    const TControllerRecord &c = load.Records.Controllers[0], &d = want.Controllers[0];
    EXPECT_EQ(std::tie(c.Serial, c.ReadingShare, c.FullScaleShare, c.Repeatability, c.Calibrated, c.CalibrationDue,
                       c.Confirmed),
              std::tie(d.Serial, d.ReadingShare, d.FullScaleShare, d.Repeatability, d.Calibrated, d.CalibrationDue,
                       d.Confirmed));
    const TBubblerRecord &e = load.Records.Bubbler, &f = want.Bubbler;
    EXPECT_EQ(std::tie(e.TemperatureAccuracyC, e.Efficiency, e.EfficiencyUncertainty, e.Confirmed),
              std::tie(f.TemperatureAccuracyC, f.Efficiency, f.EfficiencyUncertainty, f.Confirmed));
}

TEST(RecordStore, AnUnsoundRecordIsRefusedWithItsReasonAndNothingIsWritten)
{
    struct Case {
        std::function<void(TRecords&)> spoil;
        std::string reason;
    };
    const Case cases[] = {
        {[](TRecords& r) { r.Sources[0].Expiry = "2027-02-30"; }, "the expiry date \"2027-02-30\" is not a date"},
        {[](TRecords& r) { r.Sources[1].Fraction = 0; }, "the source of Ar: the certified fraction must lie above 0"},
        {[](TRecords& r) { r.Sources[1].Gas = "5%H2,95%Ar"; }, "the gas has a record already"},
        {[](TRecords& r) { r.Sources[1].Gas = "Xe"; }, "the source of Xe: the gas is not in the compound table"},
        {[](TRecords& r) { r.Controllers[0].Serial = ""; }, "needs the serial"},
        {[](TRecords& r) { r.Controllers.push_back(r.Controllers[0]); }, "the serial has a record already"},
        {[](TRecords& r) { r.Bubbler.Efficiency = std::nan(""); }, "the bubbler: the saturation efficiency"},
    };
    QTemporaryDir dir;
    const TRecordStore store(dir.filePath(QStringLiteral("records.ini")));
    ASSERT_EQ(store.Save(Sound()), "");
    const QByteArray before = Contents(store.Path());
    for (const Case& c : cases) {
        TRecords r = Sound();
        c.spoil(r);
        const std::string why = store.Save(r);
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
        EXPECT_EQ(Contents(store.Path()), before) << c.reason;
    }
}

TEST(RecordStore, AFileThatCannotBeUsedGivesTheDefaultsAndSaysWhy)
{
    struct Case {
        const char* name;
        QByteArray contents;  // none: a folder of that name
        std::vector<std::string> problems;
        std::size_t sources;
        std::size_t controllers;
    };
    const Case cases[] = {
        {"missing", {}, {}, 0, 0},
        {"folder", {}, {"cannot be read: it is not a file; the defaults are used"}, 0, 0},
        {"garbage",
         "[sources\nsize=1\n1\\gas=O2\n\xff\xfe\xfd\n[contr",
         {"cannot be read: it is not a settings file"},
         0,
         0},
        // Typed by hand: the gas without its quotes; one record per fault.
        {"edited",
         "[sources]\nsize=4\n1\\gas=5%H2,95%Ar\n1\\fraction=0.05\n1\\uncertainty=0.0005\n"
         "2\\gas=O2\n2\\fraction=abc\n2\\uncertainty=0\n3\\gas=5%H2,95%Ar\n3\\fraction=0.05\n3\\uncertainty=0\n"
         "4\\gas=O2\n4\\fraction=0.99\n"
         "[controllers]\nsize=2\n1\\serial=A\n1\\reading_share=0.01\n1\\full_scale_share=0\n1\\repeatability=0\n"
         "1\\calibrated=yesterday\n2\\serial=B\n2\\reading_share=0.01\n2\\full_scale_share=0\n2\\repeatability=0\n"
         "[bubbler]\nefficiency=0.2\ntemperature_accuracy_c=0.1\nefficiency_uncertainty=0\n",
         {"source 2 (O2) is left out: fraction \"abc\" is not a number",
          "source 3 (5%H2,95%Ar) is left out: the gas has a record already",
          "source 4 (O2) is left out: uncertainty is missing",
          "controller 1 (A) is left out: the calibration date \"yesterday\" is not a date",
          "the bubbler's record is left out: the saturation efficiency must lie between 50 and 105 %"},
         1,
         1},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        if (std::string(c.name) == "folder")
            ASSERT_TRUE(QDir(dir.path()).mkdir(QString::fromLatin1(c.name)));
        else if (!c.contents.isEmpty())
            Put(path, c.contents);
        const TRecordsLoad load = TRecordStore(path).Load();
        ASSERT_EQ(load.Problems.size(), c.problems.size());
        for (std::size_t i = 0; i < c.problems.size(); ++i)
            EXPECT_NE(load.Problems[i].find(c.problems[i]), std::string::npos) << load.Problems[i];
        EXPECT_EQ(load.Records.Sources.size(), c.sources);
        EXPECT_EQ(load.Records.Controllers.size(), c.controllers);
        EXPECT_FALSE(load.Records.Bubbler.Confirmed);
        EXPECT_EQ(load.Records.Bubbler.Efficiency, TBubblerRecord().Efficiency);

        // New records go on disk; an unreadable file is kept aside, a
        // folder is not written over.
        const std::string saved = TRecordStore(path).Save(Sound());
        EXPECT_EQ(saved.empty(), std::string(c.name) != "folder") << saved;
        if (std::string(c.name) == "garbage") {
            EXPECT_EQ(Contents(path + QStringLiteral(".unreadable")), c.contents);
        }
        if (saved.empty()) {
            EXPECT_EQ(TRecordStore(path).Load().Records.Sources.size(), 2u);
        }
    }
}
