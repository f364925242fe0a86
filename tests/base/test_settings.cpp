// The settings file: what one run stores another reads back, runs that
// store at once keep each other's values, and a write that fails leaves the
// file as it was and keeps the changes.

#include "base/runtimeerror.h"
#include "base/settings.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/mount.h>

namespace {

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void readBack_data();
    void readBack();
    void runsKeepEachOthersValues();
    void copiesInTheRuntimeFolder_data();
    void copiesInTheRuntimeFolder();
    void failedWriteKeepsTheFile_data();
    void failedWriteKeepsTheFile();
};

// Texts as the program stores them: card paths, numbers with blanks, and
// what the file's own syntax uses.
void TestSettings::readBack_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("number") << "4.23280423280423";
    QTest::newRow("blanks around") << " 4.25 ";
    QTest::newRow("Japanese path") << "/home/山田/名刺 一.qcd";
    QTest::newRow("comma") << "a,b";
    QTest::newRow("equals and semicolon") << "x=1;y";
    QTest::newRow("quotes and backslash") << "\"C:\\名刺\\\"";
    QTest::newRow("empty") << "";
}

void TestSettings::readBack() {
    QFETCH(QString, text);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("qvrs/qvrs.ini"));
    {
        Settings s(path);
        s.setText("sti", "file", text);
        s.setText("opt", "gone", "1");
        s.remove("opt", "gone");
        QCOMPARE(s.sync(), 0);
    }
    Settings other(path);
    QCOMPARE(other.text("sti", "file", "unset"), text);
    QCOMPARE(other.text("opt", "gone", "unset"), QStringLiteral("unset"));
}

// The store's private copies live in the session's runtime folder when there
// is one, and go with the store.
void TestSettings::copiesInTheRuntimeFolder_data() {
    QTest::addColumn<QString>("runtime");
    QTest::addColumn<bool>("used");
    QTest::newRow("runtime folder") << "run" << true;
    QTest::newRow("runtime folder missing") << "run/gone" << false;
    QTest::newRow("no runtime folder") << "" << false;
}

void TestSettings::copiesInTheRuntimeFolder() {
    QFETCH(QString, runtime);
    QFETCH(bool, used);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("run")));
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    const auto restore = qScopeGuard([&] { qputenv("XDG_RUNTIME_DIR", saved); });
    if (runtime.isEmpty())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.filePath(runtime)));
    const QString path = dir.filePath(QStringLiteral("qvrs.ini"));
    const QDir run(dir.filePath(QStringLiteral("run")));
    {
        Settings s(path);
        s.setText("sti", "file", "a.qcd");
        QCoreApplication::processEvents(); // the store writes its copy
        const QStringList folders = run.entryList({QStringLiteral("qvrs-*")}, QDir::Dirs);
        QCOMPARE(folders.size(), used ? 1 : 0);
        if (used)
            QVERIFY(!QDir(run.filePath(folders.first())).entryList({"*.ini"}).isEmpty());
        QCOMPARE(s.sync(), 0);
    }
    QCOMPARE(run.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{});
    QCOMPARE(Settings(path).text("sti", "file", "unset"), QStringLiteral("a.qcd"));
}

void TestSettings::runsKeepEachOthersValues() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("qvrs.ini"));
    Settings first(path), second(path);
    first.setText("sti", "file", "a.qcd");
    second.setText("opt", "BackColor", "255");
    QCOMPARE(first.sync(), 0);
    QCOMPARE(second.sync(), 0);
    QCOMPARE(second.text("sti", "file", "unset"), QStringLiteral("a.qcd"));
    Settings third(path);
    QCOMPARE(third.text("sti", "file", "unset"), QStringLiteral("a.qcd"));
    QCOMPARE(third.text("opt", "BackColor", "unset"), QStringLiteral("255"));
}

// The write fails for a folder where the file belongs (75) and on a full
// disk (61, a small disk mounted when the test runs as root).
void TestSettings::failedWriteKeepsTheFile_data() {
    QTest::addColumn<bool>("fullDisk");
    QTest::addColumn<int>("number");
    QTest::newRow("folder in the way") << false << 75;
    QTest::newRow("full disk") << true << 61;
}

void TestSettings::failedWriteKeepsTheFile() {
    QFETCH(bool, fullDisk);
    QFETCH(int, number);
    QTemporaryDir dir;
    QString folder = dir.path();
    std::function<void()> unmount = [] {};
    if (fullDisk) {
        folder = dir.filePath(QStringLiteral("disk"));
        QDir().mkpath(folder);
        const QByteArray where = QFile::encodeName(folder);
        if (::mount("tmpfs", where.constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("a small disk can only be mounted by root");
        unmount = [where] { ::umount2(where.constData(), MNT_DETACH); };
    }
    const auto cleanup = qScopeGuard([&] { unmount(); });
    const QString path = folder + QStringLiteral("/qvrs.ini");
    if (fullDisk) {
        Settings old(path);
        old.setText("sti", "file", "old.qcd");
        QCOMPARE(old.sync(), 0);
    } else {
        QVERIFY(QDir().mkdir(path));
    }
    const QByteArray before = contents(path);
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    Settings s(path);
    const QString large(100000, QLatin1Char('x')); // more than the small disk holds
    s.setText("sti", "file", fullDisk ? large : QStringLiteral("new.qcd"));
    QCOMPARE(s.sync(), number);
    QCOMPARE(contents(path), before);
    QCOMPARE(QFileInfo(path).isDir(), !fullDisk);
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), entries);
    QCOMPARE(s.text("sti", "file", "unset").size(), fullDisk ? large.size() : 7);

    // Once the write can succeed, the next sync writes the changes kept.
    if (fullDisk)
        s.setText("sti", "file", "new.qcd");
    else
        QVERIFY(QDir().rmdir(path));
    QCOMPARE(s.sync(), 0);
    QCOMPARE(Settings(path).text("sti", "file", "unset"), QStringLiteral("new.qcd"));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
