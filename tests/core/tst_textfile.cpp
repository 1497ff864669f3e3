#include "common/cp932.h"
#include "common/error.h"
#include "common/textfile.h"

#include "testutil.h"

#include <QTest>

using namespace norva;

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
        QCOMPARE(kindOf(dir.path()), int(ErrorKind::FileAccess));
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
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
