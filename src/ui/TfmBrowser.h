#pragma once

#include <QWidget>

class QTabWidget;

// A secondary window holding only a page control; nothing shows it yet.
class TfmBrowser : public QWidget {
    Q_OBJECT
public:
    explicit TfmBrowser(QWidget* parent = nullptr);
    ~TfmBrowser() override;

    QTabWidget* pageControl() const { return PageControl1; }

private:
    QTabWidget* PageControl1 = nullptr;
};

extern TfmBrowser* fmBrowser;
