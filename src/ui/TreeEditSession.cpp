#include "ui/TreeEditSession.h"

#include "app/RunDatabase.h"
#include "app/Variable.h"
#include "journal/Events.h"
#include "tree/TreeLoading.h"
#include "ui/AlertWindow.h"
#include "ui/unGeneral.h"

#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QSet>
#include <QThread>
#include <QTreeView>
#include <exception>

namespace {

const QString kLostText = QStringLiteral("Нет связи");
const QString kLostTip = QStringLiteral(
    "Связь с базой потеряна: изменения других пользователей не приходят, дерево может отставать.");

// A modal box or a drag runs an event loop inside the handler that opened it; a
// catch-up must not run in there, in the middle of that handler's operation.
bool insideNestedLoop() {
    return QApplication::activeModalWidget() != nullptr || QThread::currentThread()->loopLevel() > 1;
}

} // namespace

TreeEditSession::TreeEditSession(TfmGeneral& window, AlertStack& alerts)
    : QObject(&window), m_window(window), m_alerts(alerts), m_tree(window),
      m_follower(window.database(), m_tree) {
    setObjectName(QStringLiteral("TreeEditSession"));
    m_reattach.setInterval(kReattachIntervalMs);
    connect(&m_reattach, &QTimer::timeout, this, &TreeEditSession::tryReattach);
}

TreeEditSession::~TreeEditSession() = default;

TreeEditSession* TreeEditSession::of(TfmGeneral& window) {
    return window.findChild<TreeEditSession*>(QStringLiteral("TreeEditSession"), Qt::FindDirectChildrenOnly);
}

void TreeEditSession::start() {
    RunDatabase& db = m_window.database();
    m_follower.markJournalEnd();
    m_scheduler = std::make_unique<CatchUpScheduler>([this] { catchUp(); });
    m_scheduler->setBusyCheck(insideNestedLoop);
    m_scheduler->watch(db.IBEvents1);
    connect(m_scheduler.get(), &CatchUpScheduler::caughtUp, this, &TreeEditSession::caughtUp);
    connect(m_scheduler.get(), &CatchUpScheduler::catchUpFailed, this, [this](const QString& text) {
        m_window.appendTrace(QStringLiteral("Изменения других пользователей не прочитаны: %1").arg(text));
    });
    connect(&db.IBEvents1, &fb::EventListener::stopped, this, &TreeEditSession::onListeningLost);
    connect(&db.IBEvents1, &fb::EventListener::ready, this, &TreeEditSession::onListening);
    if (!db.IBEvents1.attached()) {
        try {
            db.IBEvents1.attach(db.IBDatabase1);
        } catch (const std::exception&) {
            onListeningLost();
        }
    }
    m_scheduler->requestCatchUp();
}

void TreeEditSession::stop() {
    m_stopped = true;
    m_reattach.stop();
    disconnect(&m_window.database().IBEvents1, nullptr, this, nullptr);
    if (m_scheduler)
        disconnect(&m_window.database().IBEvents1, nullptr, m_scheduler.get(), nullptr);
}

void TreeEditSession::catchUp() {
    if (m_stopped)
        return;
    const JournalFollower::Result result = m_follower.catchUp();
    for (const QString& line : result.trace)
        m_window.appendTrace(line);
    if (result.rebuildTree)
        rebuildTree();
    for (const AlertText& alert : alertsToShow(result.alerts, gperShowEvents))
        m_alerts.show(alert.header, alert.message);
}

void TreeEditSession::rebuildTree() {
    ObjectTreeModel& model = m_window.treeModel();
    QTreeView* view = m_window.treeView();
    QVector<int> expanded;
    for (TreeNode* at = model.firstNode(); at; at = model.nextInPreOrder(at)) {
        if (at->hasChildren() && view->isExpanded(model.indexOf(at)))
            expanded << at->id();
    }
    const int selected = m_tree.selectedId();
    const int loaded = m_tree.loadedId();
    const int scroll = view->verticalScrollBar()->value();

    RunDatabase& db = m_window.database();
    UseRunDatabase use(db);
    const TreeBuildReport report = Creat_Items_To_Treeviwe(db.IBQuery1, model);
    if (const QString line = unplaceableRowsLine(report); !line.isEmpty())
        m_window.appendTrace(line);

    for (int id : expanded) {
        if (TreeNode* node = model.nodeById(id))
            view->setExpanded(model.indexOf(node), true);
    }
    if (TreeNode* node = model.nodeById(selected))
        view->setCurrentIndex(model.indexOf(node));
    view->verticalScrollBar()->setValue(scroll);
    if (loaded != 0 && !model.contains(loaded))
        m_tree.clearLoadedObject();
}

void TreeEditSession::onListeningLost() {
    // A reconnect of the sign-in window closes and attaches again before the news
    // of the close arrives: nothing is lost then.
    if (!m_scheduler || m_stopped || m_window.database().IBEvents1.attached())
        return;
    if (!m_lost)
        m_window.appendTrace(
            QStringLiteral("Связь с базой потеряна: изменения других пользователей не приходят. "
                           "Подключаюсь заново…"));
    m_lost = true;
    showConnectionState(kLostText, kLostTip);
    m_reattach.start();
}

void TreeEditSession::onListening() {
    if (!m_lost)
        return;
    m_lost = false;
    m_reattach.stop();
    showConnectionState(QString(), QString());
    m_window.appendTrace(QStringLiteral("Связь с базой восстановлена: дерево догоняет изменения."));
}

// Listening again on the same attachment is enough when only the registration
// ended; an attachment that no longer answers is opened anew (same parameters).
void TreeEditSession::tryReattach() {
    RunDatabase& db = m_window.database();
    try {
        bool answers = db.IBDatabase1.connected();
        if (answers) {
            try {
                fb::Query ping(db.IBDatabase1, db.IBTransaction1);
                ping.setSql(QStringLiteral("select 1 from RDB$DATABASE"));
                ping.open();
            } catch (const fb::Error&) {
                answers = false;
            }
        }
        if (!answers) {
            if (db.IBDatabase1.connected())
                db.IBDatabase1.close();
            db.IBDatabase1.open();
            db.IBTransaction1.start();
            db.IBQuery1.setTransaction(db.IBTransaction1);
        }
        db.IBEvents1.attach(db.IBDatabase1);
    } catch (const std::exception&) {
        // Next time round; the status bar keeps saying so.
    }
}

void TreeEditSession::showConnectionState(const QString& text, const QString& tip) {
    QLabel* panel = m_window.statusPanel(2);
    panel->setText(text);
    panel->setToolTip(tip);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::WindowText, text.isEmpty() ? QColor(Qt::black) : QColor(0xFF, 0x00, 0x00));
    panel->setPalette(palette);
}

TreeEditSession::Hold::Hold(TreeEditSession* session) {
    if (session && session->scheduler())
        m_hold = std::make_unique<CatchUpScheduler::Hold>(*session->scheduler());
}
