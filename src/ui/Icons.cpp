#include "ui/Icons.h"

#include <QString>

// The resources live in a static library: make sure they are registered before
// the first picture is asked for. Outside any namespace, as Q_INIT_RESOURCE needs.
static void registerResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    (void)done;
}

namespace {

QVector<QIcon> load(const char* folder, int count) {
    registerResources();
    QVector<QIcon> icons;
    icons.reserve(count);
    for (int i = 0; i < count; ++i)
        icons.append(QIcon(
            QStringLiteral(":/icons/%1/%2.png").arg(QLatin1String(folder)).arg(i, 2, 10, QLatin1Char('0'))));
    return icons;
}

} // namespace

const QVector<QIcon>& treeIcons() {
    static const QVector<QIcon> icons = load("tree", kTreeIconCount);
    return icons;
}

const QVector<QIcon>& buttonIcons() {
    static const QVector<QIcon> icons = load("buttons", kButtonIconCount);
    return icons;
}

QIcon bigButtonIcon(BigPicture picture) {
    registerResources();
    switch (picture) {
    case BigPicture::Create:
        return QIcon(QStringLiteral(":/icons/big/create.png"));
    case BigPicture::Settings:
        return QIcon(QStringLiteral(":/icons/big/settings.png"));
    case BigPicture::Connect:
        return QIcon(QStringLiteral(":/icons/big/connect.png"));
    case BigPicture::Save:
        return QIcon(QStringLiteral(":/icons/big/save.png"));
    }
    return {};
}
