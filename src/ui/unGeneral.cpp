#include "ui/unGeneral.h"

#include <QLabel>
#include <QStatusBar>

TfmGeneral* fmGeneral = nullptr;

TfmGeneral::TfmGeneral(QWidget* parent) : QMainWindow(parent) {
    // Set first, so that code run while the window is built can already reach it.
    fmGeneral = this;
    setObjectName(QStringLiteral("fmGeneral"));
    setWindowTitle(QStringLiteral("Vestibar"));
    resize(673, 674);
    setCentralWidget(new QWidget(this));
    buildStatusBar();
}

TfmGeneral::~TfmGeneral() {
    if (fmGeneral == this)
        fmGeneral = nullptr;
}

void TfmGeneral::buildStatusBar() {
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(StatusBar1);

    const int widths[3] = {70, 200, 50};
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(StatusBar1);
        m_panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_panels[i]->setMinimumWidth(widths[i]);
        StatusBar1->addPermanentWidget(m_panels[i]);
    }
    m_panels[0]->setText(kProgramVersionLabel);
    m_panels[1]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

QLabel* TfmGeneral::statusPanel(int index) const {
    return index >= 0 && index < 3 ? m_panels[index] : nullptr;
}
