#include "form_fixture.h"
#include "record_store.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

void Type(TForm1& form, const char* field, const QString& text)
{
    QLineEdit* e = form.GroupBoxRecords->findChild<QLineEdit*>(QString::fromLatin1(field));
    ASSERT_TRUE(e && e->isEnabled()) << field;
    e->setText(text);
    e->setModified(true);
}

}  // namespace

TEST(RecordsBox, TheWindowLoadsShowsAndSavesTheRecordsAndTheCoreUsesThem)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("records.ini"));
    qputenv("DILUTRA_RECORDS", file.toLocal8Bit());
    TRecords start;
    start.Sources.push_back({"O2", 0.999995, 0.000002, "L1", "2027-06-30", true});
    ASSERT_EQ(TRecordStore(file).Save(start), "");

    FormFixture f;
    TForm1& form = f.form;
    QCoreApplication::processEvents();
    ASSERT_EQ(form.Core().State.Records.Sources.size(), 1u) << "the core has the records from the start";
    f.ChooseGases(0, 0);
    QCoreApplication::processEvents();
    const std::string serial = form.Core().Setup.State().Identification[0];
    ASSERT_FALSE(serial.empty());
    EXPECT_EQ(form.findChild<QLineEdit*>(QStringLiteral("EditRecordSourceAFraction"))->text(), "99.9995");

    Type(form, "EditRecordController1Reading", QStringLiteral("0,3"));
    form.ButtonRecordsSave->click();
    for (const TRecords& r : {TRecordStore(file).Load().Records, form.Core().State.Records}) {
        EXPECT_EQ(r.Source("O2").Lot, "L1") << "a row not changed stays as it was";
        EXPECT_DOUBLE_EQ(r.Controller(serial).ReadingShare, 0.003);
        EXPECT_FALSE(r.Controller(serial).Confirmed);
    }

    // A refused record says why on the Setup page, and nothing changes.
    Type(form, "EditRecordSourceAExpiry", QStringLiteral("2027-02-30"));
    Type(form, "EditRecordBubblerEfficiency", QStringLiteral("99"));
    form.ButtonRecordsSave->click();
    EXPECT_TRUE(form.MemoSetupFeedback->toPlainText().contains(
        "Records not saved: the source of O2: the expiry date \"2027-02-30\" is not a date"));
    EXPECT_EQ(TRecordStore(file).Load().Records.Bubbler.Efficiency, 1.0);
    EXPECT_EQ(form.Core().State.Records.Source("O2").Expiry, "2027-06-30");
    qunsetenv("DILUTRA_RECORDS");
}
