// The diagnostic tab "Пароли": the trace log and three test buttons.

#include "ui/Icons.h"
#include "ui/unGeneral.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <cmath>

void TfmGeneral::appendTrace(const QString& line) {
    Memo1->appendPlainText(line);
}

// Makes the four test buttons once; their names are taken after that.
void TfmGeneral::BitBtn7Click() {
    if (TabSheet2->findChild<QPushButton*>(QStringLiteral("BtBTnLogin1")))
        return;
    struct Made {
        const char* name;
        QString caption;
        int picture; // -1: none
        int left;
        int width;
        QString words;
    };
    const Made made[] = {
        {"BtBTnLogin1", QStringLiteral("Логин"), -1, 10, 200, QString()},
        {"BtBTnPass1", QStringLiteral("Пароль"), -1, 210, 200, QString()},
        {"BtBTnEdit1", QString(), 1, 410, 25, QStringLiteral("Изменить")},
        {"BtBTnConnect1", QString(), 0, 435, 25, QStringLiteral("Подключиться")},
    };
    for (const Made& m : made) {
        auto* button = new QPushButton(m.caption, TabSheet2);
        button->setObjectName(QLatin1String(m.name));
        button->setGeometry(m.left, 10, m.width, 25);
        if (m.picture >= 0) {
            button->setIcon(buttonIcons()[m.picture]);
            button->setToolTip(m.words);
            button->setAccessibleName(m.words);
        }
        button->show();
        button->raise();
    }
    m_diagnosticButtonsRight = TabSheet2->width();
}

// FormResize: the two wide buttons share what TabSheet2 grew by; the two small
// ones keep their distance to its right edge.
void TfmGeneral::stretchDiagnosticButtons() {
    if (!TabSheet2)
        return;
    const int width = TabSheet2->width();
    auto* login = TabSheet2->findChild<QPushButton*>(QStringLiteral("BtBTnLogin1"));
    if (login) {
        const int d = static_cast<int>(std::lrint((width - start_tab_sheet2) / 2.0)); // ties to even
        auto* pass = TabSheet2->findChild<QPushButton*>(QStringLiteral("BtBTnPass1"));
        login->resize(login->width() + d, login->height());
        pass->setGeometry(pass->x() + d, pass->y(), pass->width() + d, pass->height());
        for (const char* name : {"BtBTnEdit1", "BtBTnConnect1"}) {
            auto* right = TabSheet2->findChild<QPushButton*>(QLatin1String(name));
            right->move(right->x() + (width - m_diagnosticButtonsRight), right->y());
        }
        m_diagnosticButtonsRight = width;
    }
    start_tab_sheet2 = width;
}

// "В": the selected node goes before the first node of the tree (on screen only).
void TfmGeneral::BitBtn9Click() {
    TreeNode* node = selectedNode();
    if (!node || m_tree.absoluteIndex(node) == 0)
        return;
    m_tree.moveBefore(node, m_tree.firstNode());
    selectNode(node);
}

// "Н": the node after the selected one goes just before it (on screen only).
void TfmGeneral::BitBtn10Click() {
    TreeNode* node = selectedNode();
    TreeNode* next = m_tree.nextInPreOrder(node);
    if (!node || !next)
        return;
    m_tree.moveBefore(next, node);
    selectNode(node);
}
