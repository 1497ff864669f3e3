#include "core/common/error.h"
#include "core/tables/tableinfo.h"

#include "testutil.h"

#include <QTest>

using namespace norva;

class TestTables : public QObject
{
    Q_OBJECT

private:
    TableInfo m_tables;

    // Reads the table definitions of the program folder dir.
    bool read(const testutil::ProgramDir &dir) { return m_tables.load(dir.locations().tablesFile); }
    void load(const testutil::ProgramDir &dir, const QStringList &lines)
    {
        testutil::writeAll(dir.file(QStringLiteral("norva.dat")), testutil::cp932Lines(lines));
        QVERIFY(read(dir));
    }

private slots:
    void missingFileKeepsDefaults()
    {
        testutil::ProgramDir dir;
        QVERIFY(!read(dir));
        QCOMPARE(m_tables.value(0).toInt(), -1);
        QCOMPARE(m_tables.value(2).toString(), QStringLiteral("===== "));
        QCOMPARE(m_tables.value(3).toString(), QStringLiteral("----- "));
        QCOMPARE(m_tables.value(4).toString(), QStringLiteral("  持点"));
        for (int i = 0; i < 3; ++i) {
            QVERIFY(m_tables.choices(i).isEmpty());
            QVERIFY(m_tables.recognition(i).isEmpty());
        }
        QVERIFY(!m_tables.value(5).isValid());
        QVERIFY(!m_tables.value(-1).isValid());
    }

    void entriesKeysAndCommas()
    {
        testutil::ProgramDir dir;
        load(dir, {
                      QStringLiteral("[計算情報]"),
                      QStringLiteral("   tablestring1  = 1,東風戦"),
                      QStringLiteral("TableInfo1=5,東風,東南"),
                      QStringLiteral("TABLEINFO2=2.5,一般卓 "),
                      QStringLiteral("TableString2=x,上級卓"),
                      QStringLiteral("TableString1=no comma"),
                      QStringLiteral("TableString2=3,技能卓"),
                      QStringLiteral("StartLine===== x"),
                      QStringLiteral("comment without equals"),
                  });
        QCOMPARE(m_tables.recognition(1).size(), 1);
        QCOMPARE(m_tables.recognition(1)[0].tableId(), 1);
        QCOMPARE(m_tables.recognition(1)[0].tableString(), QStringLiteral("東風戦"));
        QCOMPARE(m_tables.choices(1)[0].tableString(), QStringLiteral("東風,東南"));
        QCOMPARE(m_tables.choices(2)[0].tableId(), 2); // halves to even
        QCOMPARE(m_tables.choices(2)[0].tableString(), QStringLiteral("一般卓 "));
        QCOMPARE(m_tables.recognition(2).size(), 2);
        QCOMPARE(m_tables.recognition(2)[0].tableId(), 0); // not a number: id 0, still added
        QCOMPARE(m_tables.recognition(2)[1].value(QStringLiteral("TableId")), QVariant(3));
        QCOMPARE(m_tables.value(2).toString(), QStringLiteral("==== x"));
        QVERIFY(m_tables.choices(0).isEmpty());
    }

    void tenYakuStringsKeepNine()
    {
        testutil::ProgramDir dir;
        QStringList lines;
        for (int i = 0; i < 10; ++i)
            lines << QStringLiteral("YakuString=class%1").arg(i);
        lines << QStringLiteral("yakustring=");
        load(dir, lines);
        QCOMPARE(m_tables.value(0).toInt(), 8);
        QCOMPARE(m_tables.value(1, 8).toString(), QStringLiteral("class8"));
        try {
            m_tables.value(1, 9);
            QFAIL("no error");
        } catch (const Error &e) {
            QCOMPARE(e.kind(), ErrorKind::SubscriptOutOfRange);
        }
        QVERIFY_THROWS_EXCEPTION(Error, m_tables.value(1, -1));
    }

    void emptyYakuStringAndMarkers()
    {
        testutil::ProgramDir dir;
        load(dir, {QStringLiteral("YakuString="), QStringLiteral("YakuString= 満貫 "),
                   QStringLiteral("RLine=  点"), QStringLiteral("RLine=  持点 "),
                   QStringLiteral("FinishLine=--- ")});
        QCOMPARE(m_tables.value(0).toInt(), 1);
        QCOMPARE(m_tables.value(1, 0).toString(), QString());
        QCOMPARE(m_tables.value(1, 1).toString(), QStringLiteral(" 満貫 "));
        QCOMPARE(m_tables.value(4).toString(), QStringLiteral("  持点 "));
        QCOMPARE(m_tables.value(3).toString(), QStringLiteral("--- "));
        // Reading again starts from the defaults.
        load(dir, {QStringLiteral("TableInfo1=1,a")});
        QCOMPARE(m_tables.value(0).toInt(), -1);
        QCOMPARE(m_tables.value(4).toString(), QStringLiteral("  持点"));
        QCOMPARE(m_tables.choices(1).size(), 1);
    }

    void tableEntryProperty()
    {
        TableEntry info;
        QCOMPARE(info.value(QStringLiteral("TableId")), QVariant(0));
        QVERIFY(!info.value(QStringLiteral("tableid")).isValid());
        info.setValue(QStringLiteral("TableId"), QStringLiteral(" 12 "));
        info.setValue(QStringLiteral("TableString"), 7);
        info.setValue(QStringLiteral("Other"), 1);
        QCOMPARE(info.tableId(), 12);
        QCOMPARE(info.tableString(), QStringLiteral("7"));
        QVERIFY_THROWS_EXCEPTION(Error,
                                 info.setValue(QStringLiteral("TableId"), QStringLiteral("abc")));
        QCOMPARE(info.tableId(), 12);
    }

    void bundledDefinitionsSelectWithTheDefaultKinds()
    {
        // The file shipped beside the program must allow a calculation.
        testutil::ProgramDir dir;
        QFile::copy(QStringLiteral(NORVA_SOURCE_DATA "/norva.dat"),
                    dir.file(QStringLiteral("norva.dat")));
        QVERIFY(read(dir));
        QVERIFY(!m_tables.recognition(1).isEmpty());
        QVERIFY(!m_tables.recognition(2).isEmpty());
        QVERIFY(!m_tables.choices(1).isEmpty());
        QVERIFY(!m_tables.choices(2).isEmpty());
        QVERIFY(m_tables.value(0).toInt() >= 1);
    }
};

QTEST_GUILESS_MAIN(TestTables)
#include "tst_tables.moc"
