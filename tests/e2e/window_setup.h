#pragma once

#include "form1.h"
#include "run_until.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>

// The Setup page worked through as the operator does it, waiting at each
// step for the core's answer: ports found and chosen by name, the equipment
// validated, the first gas of each list chosen. False when a step did not
// come through.
inline bool SetUpThroughTheWindow(TForm1& form, const QString& relayPort, const QString& mfcPort)
{
    auto choose = [](QListWidget* list, const QString& name) {
        const auto found = list->findItems(name, Qt::MatchExactly);
        if (!found.isEmpty())
            list->setCurrentItem(found.first());
        return !found.isEmpty();
    };
    form.ButtonSetupFindPortsClick();
    if (!RunUntil([&] { return form.ListBoxPortMFC->count() > 0 && form.ButtonSetupValidate->isEnabled(); }))
        return false;
    if (!choose(form.ListBoxPortSolenoid, relayPort) || !choose(form.ListBoxPortMFC, mfcPort))
        return false;
    form.ButtonSetupValidateClick();
    if (!RunUntil([&] { return form.CheckBoxMFCOK->isChecked() && form.CheckBoxSolenoidOK->isChecked(); }))
        return false;
    form.ListBoxSetupGas1->setCurrentRow(0);
    form.ListBoxSetupGas1Click();
    RunUntil([&] { return form.ListBoxSetupGas2->isEnabled(); });
    form.ListBoxSetupGas2->setCurrentRow(0);
    form.ListBoxSetupGas2Click();
    return RunUntil([&] { return form.CheckBoxGasesSelected->isChecked(); });
}
