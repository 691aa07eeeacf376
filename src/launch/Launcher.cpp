#include "launch/Launcher.h"

namespace {

constexpr int kFolder = 1;

} // namespace

Launcher::Launcher(LaunchPlatform platform, SessionWatchers& watchers, QObject* parent)
    : QObject(parent), m_platform(platform), m_watchers(watchers) {}

void Launcher::BitBtn1Click(const LaunchRequest& r) {
    if (r.typeNode == kFolder)
        return;
    const QString target = effectiveTarget(r);
    if (settings.copyPassToBufer)
        m_platform.clipboard.setText(r.password);

    switch (effectiveProtocol(r)) {
    case Protocol::Rdp:
        ConnectOnRDP(r, r.login, r.password, target, r.port);
        break;
    case Protocol::Ssh:
        ConnectOnSSH(r, r.login, r.password, target, r.port);
        break;
    case Protocol::Browser:
        ConnectOnURL(target);
        break;
    case Protocol::None:
        emit message(QStringLiteral("Не выбран способ подключения: отметьте RDP, SSH или Browser и сохраните "
                                    "объект."));
        break;
    }
}

bool Launcher::ConnectOnRDP(const LaunchRequest& r, const QString& perUSER, const QString& perPASS,
                            const QString& perCOMP, const QString& Port) {
    if (ZHIV_LI_PROCESS(r.idTreeTable))
        return false;
    // The port field belongs to the object's default protocol.
    return startPlanned(r.idTreeTable, planRdp(perUSER, perPASS, perCOMP, Port, r.defaultRdpOrSsh == 1));
}

bool Launcher::ConnectOnSSH(const LaunchRequest& r, const QString& perUSER, const QString& perPASS,
                            const QString& perCOMP, const QString& perPort) {
    if (ZHIV_LI_PROCESS(r.idTreeTable))
        return false;
    return startPlanned(r.idTreeTable, planSsh(perUSER, perPASS, perCOMP, perPort), r.translation);
}

bool Launcher::ConnectOnURL(const QString& perCOMP) {
    return startPlanned(0, planWeb(perCOMP, settings));
}

bool Launcher::ZHIV_LI_PROCESS(int index) {
    const auto session = m_watchers.MAS_PID_PROCESS.find(index);
    if (!session || !AnotherProcessExists(m_platform.processes, session->process))
        return false;
    const int raised = m_platform.windows.raiseWindowsOf(session->process.pid);
    emit trace(
        raised > 0
            ? QStringLiteral("Сеанс уже открыт, окна процесса %1 выведены вперёд").arg(session->process.pid)
            : QStringLiteral("Сеанс уже открыт"));
    emit m_watchers.nodeBoldChanged(index, true);
    return true;
}

bool Launcher::startPlanned(int objectId, const LaunchPlan& plan, const QString& codePage) {
    if (plan.refused()) {
        emit message(plan.refusal);
        return false;
    }
    const QString program = m_platform.programs.findProgram(plan.program, plan.besideUsFirst);
    if (program.isEmpty()) {
        emit message(programNotFoundMessage(plan));
        return false;
    }
    if (plan.program == QLatin1String("putty")) {
        const QString failure = Reg_Edit_for_Putty_Translation(m_platform.putty, codePage);
        if (!failure.isEmpty()) {
            emit message(failure);
            return false;
        }
    }
    for (const QString& note : plan.traceNotes)
        emit trace(note);

    const SpawnResult result = m_platform.spawner.spawn({program, plan.arguments, plan.stdinData});
    if (!result.process) {
        emit message(QStringLiteral("Не удалось запустить %1: %2").arg(program, result.error));
        return false;
    }
    emit trace(traceLine(program, plan.arguments));
    if (!plan.sessionName.isEmpty()) {
        m_watchers.start_potok2(objectId, *result.process, plan.sessionName.toUtf8());
        m_watchers.start_potok4();
    }
    return true;
}

bool AnotherProcessExists(ProcessReader& processes, const ProcessIdentity& my_pid) {
    return my_pid.pid > 0 && containsLive(processes.snapshot(), my_pid);
}

QString Reg_Edit_for_Putty_Translation(PuttySettingsStore& store, const QString& perTranslation) {
    if (perTranslation.isEmpty())
        return {};
    const QString refusal = codePageRefusal(perTranslation);
    if (!refusal.isEmpty())
        return refusal;
    const QString failure = store.setDefaultCodePage(perTranslation);
    if (!failure.isEmpty())
        return QStringLiteral("Не удалось записать кодировку в настройки PuTTY: %1. Подключение не запущено.")
            .arg(failure);
    return {};
}
