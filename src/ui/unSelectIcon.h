#pragma once

#include <QIcon>
#include <QVector>
#include <QWidget>
#include <functional>

class QPushButton;
class QTableWidget;

// Index of the icon chosen last in the picker.
extern int ID_ico;

// "Выбор иконки": the tree's icons as a grid of 21 by 11 cells, cell 21·r + c
// showing icon number 21·r + c. It opens on the object's own icon; cells without
// an icon cannot be chosen. OK (or a double click) reports the choice; closing in
// any way calls the close callback, which re-enables the main window. Make it
// without a parent: disabling the main window would disable a child window too.
class TfmSelectIcon : public QWidget {
    Q_OBJECT
public:
    static constexpr int kColumns = 21;
    static constexpr int kRows = 11;

    TfmSelectIcon(const QVector<QIcon>& icons, int currentIcon, QWidget* parent = nullptr);
    ~TfmSelectIcon() override;

    void setOnClose(std::function<void()> onClose);

    // -1 while no cell with an icon is chosen.
    int chosenIndex() const { return m_chosen; }

    void BitBtn1Click();

signals:
    void iconChosen(int index);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void fillGrid();
    void StringGrid1SelectCell(int row, int column);
    bool hasIcon(int index) const { return index >= 0 && index < m_icons.size(); }
    void notifyClosed();

    QVector<QIcon> m_icons;
    QTableWidget* StringGrid1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    int m_chosen = -1;
    std::function<void()> m_onClose;
};

extern TfmSelectIcon* fmSelectIcon;
