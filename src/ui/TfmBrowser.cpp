#include "ui/TfmBrowser.h"

#include <QTabWidget>
#include <QVBoxLayout>

TfmBrowser* fmBrowser = nullptr;

TfmBrowser::TfmBrowser(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("fmBrowser"));
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PageControl1);
    fmBrowser = this;
}

TfmBrowser::~TfmBrowser() {
    if (fmBrowser == this)
        fmBrowser = nullptr;
}
