// Replacing a file through the safe-write routine: the new bytes take the
// old file's place in one step, a reader that had the old file open still
// reads it whole, and nothing else is left in the folder.

#include "base/safewrite.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestSafeWrite : public QObject {
    Q_OBJECT
private slots:
    void replaces_data();
    void replaces();
};

void TestSafeWrite::replaces_data() {
    QTest::addColumn<SafeFile::Kind>("kind");
    QTest::addColumn<bool>("existing");
    QTest::newRow("durable, new file") << SafeFile::Kind::Durable << false;
    QTest::newRow("durable over a file") << SafeFile::Kind::Durable << true;
    QTest::newRow("scratch, new file") << SafeFile::Kind::Scratch << false;
    QTest::newRow("scratch over a file") << SafeFile::Kind::Scratch << true;
}

void TestSafeWrite::replaces() {
    QFETCH(SafeFile::Kind, kind);
    QFETCH(bool, existing);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tavor.bmp"));
    const QByteArray old(100000, 'o');
    int reader = -1;
    if (existing) {
        QCOMPARE(WriteFileSafely(path, old), 0);
        reader = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        QVERIFY(reader >= 0);
    }
    const QByteArray fresh = QByteArray(70000, 'n') + QByteArray(5, 'e');
    // Written out of order: the end first, then the start.
    SafeFile file(path, kind);
    QCOMPARE(file.open(), 0);
    QVERIFY(file.seek(70000));
    QCOMPARE(file.device().write(fresh.mid(70000)), qint64(5));
    QVERIFY(file.seek(0));
    QCOMPARE(file.device().write(fresh.left(70000)), qint64(70000));
    QCOMPARE(file.commit(), 0);

    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), fresh);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList{"Tavor.bmp"});
    QCOMPARE(QFileInfo(path).permissions() & QFileDevice::ReadOther, QFileDevice::ReadOther);
    if (existing) {
        QByteArray seen(old.size() + 1, '\0');
        QCOMPARE(::pread(reader, seen.data(), seen.size(), 0), ssize_t(old.size()));
        QCOMPARE(seen.left(old.size()), old);
        struct stat st {};
        QCOMPARE(::fstat(reader, &st), 0);
        QCOMPARE(st.st_nlink, nlink_t(0)); // gone once the reader lets it go
        ::close(reader);
    }
}

QTEST_GUILESS_MAIN(TestSafeWrite)
#include "test_safewrite.moc"
