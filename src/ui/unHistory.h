#pragma once

#include "journal/History.h"

#include <QPointer>
#include <QWidget>
#include <memory>

struct RunDatabase;
class Dialogs;
class TfmGeneral;
class TreeNode;
class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QTableView;
class QTimer;
class HistoryTableModel;

// "Журнал изменений": the journal newest first, for one object or the whole tree,
// with filters above it. Not modal; a main window has at most one. Rows come in
// pages as the user scrolls; entries journalled while it is open come in at the
// top (refreshNewest) without moving what the user looks at.
class TfmHistory : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPageRows = 100;
    static constexpr int kRefreshMs = 5000;
    // Entries looked at without a user's action while the table is not yet full.
    static constexpr int kAutoScan = 100000;

    // Reads the history of objectId (0: the whole tree) at once.
    TfmHistory(RunDatabase& db, Dialogs& dialogs, int objectId = 0, const QString& objectPath = {},
               QWidget* parent = nullptr);
    ~TfmHistory() override;

    // The main window's items and Ctrl+H: the window of this main window (made
    // when it has none), for node or, with nullptr, for the whole tree; shown and
    // raised. It frees itself when closed.
    static TfmHistory* open(TfmGeneral& general, const TreeNode* node);

    // Double-clicks select objects in this window's tree.
    void setMainWindow(TfmGeneral* general);
    // The object filter (0: the whole tree), then the history read anew.
    void showFor(int objectId, const QString& objectPath);

    // The rows shown, newest first.
    const QVector<HistoryRow>& rows() const;
    HistoryFilter currentFilter() const;

public slots:
    // Reads the entries journalled since the newest one shown and puts those the
    // filters let through at the top.
    void refreshNewest();
    // The next page further back.
    void loadMore();
    // Reads the history anew under the filters the controls show.
    void applyFilters();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildWindow();
    void connectHandlers();
    void fillAuthors();
    void loadUntilFilled();
    void scrolled(int value);
    void rowDoubleClicked(const QModelIndex& index);
    void saveToFile();
    void showStatus();
    // Runs one step; a database failure shows its text and leaves the window as it is.
    bool guarded(const std::function<void()>& step);

    RunDatabase& m_db;
    Dialogs& m_dialogs;
    QPointer<TfmGeneral> m_general;
    int m_objectId = 0;
    QString m_objectPath;
    std::unique_ptr<HistoryReader> m_reader;
    HistoryTableModel* m_model = nullptr;
    int m_autoScanned = 0;
    QString m_notice;

    QCheckBox* CheckBox1 = nullptr; // only the object
    QComboBox* ComboBox1 = nullptr; // author
    QComboBox* ComboBox2 = nullptr; // kind
    QLineEdit* Edit1 = nullptr;     // text
    QTableView* StringGrid1 = nullptr;
    QLabel* Label1 = nullptr;       // what is shown
    QPushButton* BitBtn1 = nullptr; // save to file
    QPushButton* BitBtn2 = nullptr; // further back
    QTimer* Timer1 = nullptr;       // new entries
    QTimer* Timer2 = nullptr;       // typing pause before the text filter applies
};
