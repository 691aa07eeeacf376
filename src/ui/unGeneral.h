#pragma once

#include <QMainWindow>

class QLabel;
class QStatusBar;

// The working window of the program, opened once by the sign-in window. Its
// constructor makes it fmGeneral.
class TfmGeneral : public QMainWindow {
    Q_OBJECT
public:
    explicit TfmGeneral(QWidget* parent = nullptr);
    ~TfmGeneral() override;

    // Panel 0 holds the version label that the update check compares.
    QLabel* statusPanel(int index) const;

private:
    void buildStatusBar();

    QStatusBar* StatusBar1 = nullptr;
    QLabel* m_panels[3] = {};
};

extern TfmGeneral* fmGeneral;

inline const QString kProgramVersionLabel = QStringLiteral("Ver. 0.26.3");
