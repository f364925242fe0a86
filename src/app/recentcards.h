#pragma once

#include <QStringList>

class Settings;
class Session;

// The cards opened or saved last, newest first, at most RecentCardCount. They
// are kept in the settings group "recent" (keys "file1" to "file8"), apart
// from the program's own "sti" and "opt".
constexpr int RecentCardCount = 8;

QStringList RecentCards(const Settings& settings);
// Puts path first in the list; an older entry of the same path goes.
void RememberCard(Settings& settings, const QString& path);
void ForgetCard(Settings& settings, const QString& path);

// The folder of the file last chosen in an open or save dialog (a card or an
// exported picture), kept beside the list; empty when none was chosen.
QString LastChosenFolder(const Settings& settings);
void RememberChosenFolder(Settings& settings, const QString& file);

// Opens a card of the list as the open command does (asking about a modified
// card first). A card that is gone is taken off the list with a message.
bool OpenRecentCard(Session& s, const QString& path);
