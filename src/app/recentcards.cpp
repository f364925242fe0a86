#include "recentcards.h"

#include "app/cardsession.h"
#include "app/commands.h"
#include "app/session.h"
#include "base/settings.h"
#include "base/uiservices.h"

#include <QFileInfo>

namespace {

const QString Group = QStringLiteral("recent");

QString keyOf(int index) {
    return QStringLiteral("file%1").arg(index + 1);
}

void store(Settings& settings, const QStringList& cards) {
    for (int i = 0; i < RecentCardCount; ++i) {
        if (i < cards.size())
            settings.setText(Group, keyOf(i), cards[i]);
        else
            settings.remove(Group, keyOf(i));
    }
    // A list that cannot be written now is written with the settings at
    // exit, which reports a failure.
    settings.sync();
}

} // namespace

QStringList RecentCards(const Settings& settings) {
    QStringList cards;
    for (int i = 0; i < RecentCardCount; ++i) {
        const QString path = settings.text(Group, keyOf(i), QString());
        if (!path.isEmpty() && !cards.contains(path))
            cards.append(path);
    }
    return cards;
}

void RememberCard(Settings& settings, const QString& path) {
    if (path.isEmpty())
        return;
    QStringList cards = RecentCards(settings);
    cards.removeAll(path);
    cards.prepend(path);
    store(settings, cards.mid(0, RecentCardCount));
}

void ForgetCard(Settings& settings, const QString& path) {
    QStringList cards = RecentCards(settings);
    if (cards.removeAll(path) > 0)
        store(settings, cards);
}

QString LastChosenFolder(const Settings& settings) {
    return settings.text(Group, QStringLiteral("folder"), QString());
}

void RememberChosenFolder(Settings& settings, const QString& file) {
    if (file.isEmpty())
        return;
    settings.setText(Group, QStringLiteral("folder"), QFileInfo(file).absolutePath());
}

bool OpenRecentCard(Session& s, const QString& path) {
    if (!QFileInfo(path).isFile()) {
        ForgetCard(s.settings(), path);
        s.ui().message(
            QStringLiteral("ファイルが見つかりませんでした。"),
            UiServices::fileDetail(path, QStringLiteral("最近使った名刺の一覧から外しました")));
        return false;
    }
    if (!SaveBeforeDiscarding(s))
        return false;
    if (!OpenCardFile(s, path))
        return false;
    ShowOpenedCard(s);
    RememberCard(s.settings(), path);
    return true;
}
