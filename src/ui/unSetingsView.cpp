// The "Вид" tab: the main window's look, placement and the two ways to call it up.

#include "app/Ini.h"
#include "app/Variable.h"
#include "ui/Dialogs.h"
#include "ui/SetingsRules.h"
#include "ui/TextRules.h"
#include "ui/unSetings.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

namespace {

const QString kSetings = QStringLiteral("SETINGS");

} // namespace

void TfmSetings::TrackBar1Change() {
    m_host.applyTransparency(TrackBar1->value());
}

void TfmSetings::RadioButton1Click() {
    m_host.placeMainWindow(RadioButton2->isChecked() ? 1 : 0, RadioButton4->isChecked() ? 1 : 0);
}

// Only the fields that will be written count.
QString TfmSetings::viewTabProblem() const {
    QString problem;
    if (CheckBox3->isChecked()) {
        problem = keyCodeProblem(QStringLiteral("Код клавиши"), Edit10->text());
        if (problem.isEmpty())
            problem = reactionTimeProblem(QStringLiteral("Скорость реагирования мл.с"), Edit11->text());
    }
    if (problem.isEmpty() && CheckBox4->isChecked()) {
        problem = keyCodeProblem(QStringLiteral("Клавиша №1"), Edit13->text());
        if (problem.isEmpty())
            problem = keyCodeProblem(QStringLiteral("Клавиша №2"), Edit12->text());
    }
    return problem;
}

void TfmSetings::addViewTab(IniBatch& batch) const {
    batch.boolean(kSetings, QStringLiteral("ONTOP"), CheckBox2->isChecked());
    batch.integer(kSetings, QStringLiteral("TRANSPARENCY"), TrackBar1->value());
    batch.boolean(kSetings, QStringLiteral("DOUBLECLICK"), CheckBox3->isChecked());
    if (CheckBox3->isChecked()) {
        batch.str(kSetings, QStringLiteral("CODEKEY"), Edit10->text());
        batch.integer(kSetings, QStringLiteral("SLEEP_POTOK"), typedInteger(Edit11->text()).value_or(-1));
    }
    batch.boolean(kSetings, QStringLiteral("SETHOTKEY"), CheckBox4->isChecked());
    if (CheckBox4->isChecked()) {
        batch.str(kSetings, QStringLiteral("HOTKEY1"), Edit13->text());
        batch.str(kSetings, QStringLiteral("HOTKEY2"), Edit12->text());
    }
    batch.integer(kSetings, QStringLiteral("MONITOR"), RadioButton2->isChecked() ? 1 : 0);
    batch.integer(kSetings, QStringLiteral("POSITION"), RadioButton4->isChecked() ? 1 : 0);
}

// The watcher and the hook read their keys from config.ini, so they follow the write.
void TfmSetings::applyViewTab() {
    m_host.applyOnTop(CheckBox2->isChecked());
    // A watcher that may still run goes first, so that exactly one runs afterwards.
    m_host.stopDoublePressWatcher();
    if (CheckBox3->isChecked())
        m_host.startDoublePressWatcher();
    if (CheckBox4->isChecked())
        m_host.installHotkey();
    else
        m_host.removeHotkey();
    gperMONITOR = RadioButton2->isChecked() ? 1 : 0;
    gperPOSITION = RadioButton4->isChecked() ? 1 : 0;
}

void TfmSetings::BitBtn5Click() {
    if (refused(viewTabProblem()))
        return;
    IniBatch batch;
    addViewTab(batch);
    if (!guarded([&batch] { batch.write(); }))
        return;
    if (!guarded([this] { applyViewTab(); }))
        return;
    close();
}
