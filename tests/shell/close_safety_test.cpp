#include "form_fixture.h"
#include "list_selection.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>

namespace {

// Both ports selected and validated on the simulated rig.
struct ValidatedRig : FormFixture {
    ValidatedRig()
    {
        SelectRelayPort();
        SelectMfcPort();
        form.ButtonSetupValidate->click();
        EXPECT_TRUE(form.CheckBoxSolenoidOK->isChecked());
        EXPECT_TRUE(form.CheckBoxMFCOK->isChecked());
    }

    // A check that fails on both ports clears both marks.
    void FailValidation()
    {
        relay.Faults.Silent = true;
        mfc.faults(1).Silent = true;
        form.ButtonSetupValidate->click();
        EXPECT_FALSE(form.CheckBoxSolenoidOK->isChecked());
        EXPECT_FALSE(form.CheckBoxMFCOK->isChecked());
        relay.Faults = {};
        mfc.clearFaults();
        relay.clearRecords();
        mfc.clearRecords();
    }
};

}  // namespace

TEST(CloseSafety, EquipmentCommandedInThisRunIsMadeSafeEvenAfterItsMarkWasCleared)
{
    struct Case {
        const char* name;
        bool commandValves, commandFlows;
        bool keepSelections;
        bool valvesClosed, flowsZeroed;
    };
    const Case cases[] = {
        {"valves and flows commanded", true, true, true, true, true},
        {"only valves commanded", true, false, true, true, false},
        {"only flows commanded", false, true, true, false, true},
        {"nothing commanded", false, false, true, false, false},
        {"commanded, ports no longer selected", true, true, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ValidatedRig f;
        if (c.commandValves)
            f.form.SetValvePositions(1, 1, 0, 0, 1, 0);
        if (c.commandFlows) {
            f.form.SetMFCFlow(1, 0.1);
            f.form.SetMFCFlow(2, 2.0);
        }
        f.FailValidation();
        if (!c.keepSelections) {
            f.form.ListBoxPortSolenoid->clearSelection();
            f.form.ListBoxPortMFC->clearSelection();
        }

        f.form.close();

        if (c.valvesClosed) {
            ASSERT_EQ(f.relay.patterns().size(), 1u);
            EXPECT_EQ(f.relay.patterns()[0].Pattern, 0);
            EXPECT_EQ(f.relay.pattern(), 0);
        } else {
            EXPECT_TRUE(f.relay.commands().empty());
        }
        if (c.flowsZeroed) {
            ASSERT_EQ(f.mfc.setPoints().size(), 2u);
            EXPECT_EQ(f.mfc.setPoint(1), 0.0f);
            EXPECT_EQ(f.mfc.setPoint(2), 0.0f);
        } else {
            EXPECT_TRUE(f.mfc.frames().empty());
        }
        EXPECT_TRUE(f.dialogs.Errors.isEmpty());
    }
}
