#include "core/common/cp932.h"
#include "core/common/error.h"
#include "core/common/fileops.h"
#include "core/common/textfile.h"

#include "testutil.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace norva;
using namespace Qt::StringLiterals;

class TestTextFile : public QObject
{
    Q_OBJECT

private:
    QList<QByteArray> readLines(const QByteArray &data, qsizetype buffer = 16)
    {
        testutil::ProgramDir dir;
        const QString path = dir.file(QStringLiteral("f.txt"));
        testutil::writeAll(path, data);
        LineReader reader(path, buffer);
        QList<QByteArray> lines;
        QByteArrayView line;
        while (reader.next(line))
            lines.append(line.toByteArray());
        [&] {
            QCOMPARE(countLines(path), qint64(lines.size()));
        }();
        return lines;
    }

private slots:
    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QList<QByteArray>>("lines");
        using L = QList<QByteArray>;
        QTest::newRow("empty") << QByteArray() << L{};
        QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << L{"a", "b"};
        QTest::newRow("lf") << QByteArray("a\nb\n") << L{"a", "b"};
        QTest::newRow("lone cr") << QByteArray("a\rb\r") << L{"a", "b"};
        QTest::newRow("no end") << QByteArray("a\r\nb") << L{"a", "b"};
        QTest::newRow("mixed") << QByteArray("a\r\r\nb\n\rc") << L{"a", "", "b", "", "c"};
        QTest::newRow("only cr") << QByteArray("\r\r\r") << L{"", "", ""};
        QTest::newRow("only lf") << QByteArray("\n\n") << L{"", ""};
        QTest::newRow("no line end at all") << QByteArray("abc") << L{"abc"};
        QTest::newRow("nul bytes") << QByteArray("a\0b\r\n", 5) << L{QByteArray("a\0b", 3)};
        // CR LF split across the 16-byte buffer boundary.
        QTest::newRow("split crlf")
            << QByteArray("0123456789abcde\r\nx") << L{"0123456789abcde", "x"};
        QTest::newRow("long line")
            << (QByteArray(100, 'x') + "\r\ny") << L{QByteArray(100, 'x'), "y"};
    }
    void lineEnds()
    {
        QFETCH(QByteArray, data);
        QFETCH(QList<QByteArray>, lines);
        QCOMPARE(readLines(data), lines);
        QCOMPARE(readLines(data, 1 << 20), lines);
    }

    void tenMegabyteLine()
    {
        const QByteArray big(10 * 1024 * 1024, 'z');
        const auto lines = readLines(big + "\r\nend", 1 << 16);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0].size(), big.size());
        QCOMPARE(lines[1], QByteArray("end"));
    }

    void openingFailuresAreErrors()
    {
        testutil::ProgramDir dir;
        auto kindOf = [](const QString &path) {
            try {
                LineReader r(path);
                return -1;
            } catch (const Error &e) {
                return int(e.kind());
            }
        };
        QCOMPARE(kindOf(dir.file(QStringLiteral("missing.txt"))), int(ErrorKind::FileNotFound));
        QCOMPARE(kindOf(dir.path()), int(ErrorKind::NotRegularFile));
        QCOMPARE(kindOf(QString()), int(ErrorKind::FileAccess));
    }

    void cp932Decoding()
    {
        QCOMPARE(cp932::decode("\x93\x8c\x93\xec\x90\xbc\x96\x6b"), QStringLiteral("東南西北"));
        // "表" and "ソ" end in 0x5C, which is no backslash inside them.
        QCOMPARE(cp932::decode("\x95\x5c\x83\x5c"), QStringLiteral("表ソ"));
        QCOMPARE(cp932::decode("\\"), QStringLiteral("\\"));
        QCOMPARE(cp932::decode("\x81\x60"), QStringLiteral("～")); // U+FF5E in CP932
        QCOMPARE(cp932::decode("\xb1"), QStringLiteral("ｱ"));
        // Invalid sequences give U+FFFD and never swallow the next character.
        QCOMPARE(cp932::decode("\x81 a"), QStringLiteral("\uFFFD a"));
        QCOMPARE(cp932::decode("a\x81"), QStringLiteral("a\uFFFD"));
        QCOMPARE(cp932::decode("\xff"), QStringLiteral("\uFFFD"));
        QCOMPARE(cp932::decode(QByteArray("\0", 1)), QString(QChar(0)));
    }

    void cp932Encoding()
    {
        QCOMPARE(cp932::encode(u"東南西北"), QByteArray("\x93\x8c\x93\xec\x90\xbc\x96\x6b"));
        QCOMPARE(cp932::encode(u"～"), QByteArray("\x81\x60"));
        QVERIFY(!cp932::encode(u"é"));
        QVERIFY(!cp932::encode(u"¥")); // would come back as a backslash
        QVERIFY(!cp932::encode(u"\U0001F600"));
        QCOMPARE(cp932::encodeLossy(u"aéb"), QByteArray("a?b"));
        QVERIFY(cp932::encodesUniquely(u"かもめ R"));
        QVERIFY(!cp932::encodesUniquely(u"∵")); // 0x81E6 and 0x879A
    }

    void safeWriteKeepsOldFileOnFailure()
    {
        testutil::ProgramDir dir;
        const QString path = dir.file(QStringLiteral("keep.txt"));
        testutil::writeAll(path, "old");
        int prompts = 0;
        setWriteFailureForTests([] { return true; });
        const bool ok = writeFileSafely(path, "new", [&](const Error &e) {
            [&] {
                QCOMPARE(e.kind(), ErrorKind::DiskFull);
            }();
            return ++prompts < 3; // two retries, then give up
        });
        setWriteFailureForTests({});
        QVERIFY(!ok);
        QCOMPARE(prompts, 3);
        QCOMPARE(testutil::readAll(path), QByteArray("old"));

        // A retry that succeeds writes the file.
        int failures = 1;
        setWriteFailureForTests([&] { return failures-- > 0; });
        QVERIFY(writeFileSafely(path, "new", [](const Error &) { return true; }));
        setWriteFailureForTests({});
        QCOMPARE(testutil::readAll(path), QByteArray("new"));
    }

    void safeWriteOntoADirectoryFails()
    {
        testutil::ProgramDir dir;
        QVERIFY(!writeFileSafely(dir.path(), "x", {}));
        QVERIFY(QFileInfo(dir.path()).isDir());
    }

    void safeWriteThroughLinks()
    {
        // A link stays a link: its target takes the new content and keeps
        // its permissions; a link to a device writes the device in place.
        testutil::ProgramDir dir;
        const QString target = dir.file(QStringLiteral("target.txt"));
        const QString link = dir.file(QStringLiteral("link.txt"));
        testutil::writeAll(target, "old");
        // Permissions no new file gets by itself.
        const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther;
        QVERIFY(QFile::setPermissions(target, mode));
        QVERIFY(QFile::link(QStringLiteral("target.txt"), link));
        QVERIFY(writeFileSafely(link, "new", {}));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(testutil::readAll(target), QByteArray("new"));
        QCOMPARE(QFile::permissions(target) & 0x7077, mode); // owner, group, others
        const QString null = dir.file(QStringLiteral("null"));
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), null));
        QVERIFY(writeFileSafely(null, "x", {}));
        QCOMPARE(fileops::status(QStringLiteral("/dev/null")).type, fileops::FileType::CharDevice);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden).size(), 3);
    }

    void backupKeepsTheBytes()
    {
        // An earlier backup is never replaced: the next free name takes the
        // file, as long as it is the version that was read.
        testutil::ProgramDir dir;
        const QString path = dir.file(QStringLiteral("norva.ini"));
        const QByteArray bytes("\xFF\xFE[\0n\0", 6);
        testutil::writeAll(path, bytes);
        testutil::writeAll(path + u".bak", "older backup");
        const fileops::FileStatus read = fileops::status(path);
        const QString name = fileops::backupName(path + u".bak", read.id);
        QCOMPARE(name, path + u".bak.2");
        QVERIFY(fileops::keepBackup(path, name, read));
        QVERIFY(writeFileSafely(path, "new", {}));
        QVERIFY(!fileops::keepBackup(path, name, read)); // another version now
        QCOMPARE(testutil::readAll(name), bytes);
        QCOMPARE(testutil::readAll(path + u".bak"), QByteArray("older backup"));
        QCOMPARE(testutil::readAll(path), QByteArray("new"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
    }

    void namesUpToTheSystemsLimit_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("244 bytes") << QString(81, u'あ') + u'x';
        QTest::newRow("255 bytes") << QString(85, u'あ');
    }
    void namesUpToTheSystemsLimit()
    {
        // The file in the making beside the target has a short name of its
        // own: every name the file system takes is written and replaced.
        QFETCH(QString, name);
        testutil::ProgramDir dir;
        const QString path = dir.file(name);
        QVERIFY(writeFileSafely(path, "first", {}));
        QVERIFY(writeFileSafely(path, "second", {}));
        QCOMPARE(testutil::readAll(path), QByteArray("second"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
    }

    void namesThatAreNoUtf8()
    {
        // Every byte comes back as it was; valid UTF-8 reads as text.
        const QByteArray native("/tmp/\xFF\xE3\x81\x8B\xE3\x81/\xF0\x9F\x98\x80\xC0\xAF");
        const QString name = fileops::decodeName(native);
        auto byte = [](char16_t b) {
            return QString(QChar(char16_t(0xDC00 | b)));
        };
        QCOMPARE(name, u"/tmp/"_s + byte(0xFF) + u"か"_s + byte(0xE3) + byte(0x81)
                           + u"/\U0001F600"_s + byte(0xC0) + byte(0xAF));
        QCOMPARE(fileops::encodeName(name), native);
        QCOMPARE(fileops::decodeName("abc"), QStringLiteral("abc"));
        QVERIFY(fileops::absolutePath(u"a/../"_s + byte(0xFF)).endsWith(u'/' + byte(0xFF)));
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
