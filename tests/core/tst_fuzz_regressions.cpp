// Every seed of the fuzzing corpora, and every input a harness once failed on
// (tests/data/regressions/<harness>/), through that harness's own check.

#include "fuzzchecks.h"

#include "testutil.h"

#include <QDir>
#include <QTest>

using namespace norva;

class TestFuzzRegressions : public QObject
{
    Q_OBJECT

private slots:
    void replay_data()
    {
        QTest::addColumn<QString>("harness");
        QTest::addColumn<QString>("path");
        int rows = 0;
        for (const QString &root :
             {QStringLiteral(NORVA_TEST_DATA "/regressions"), QStringLiteral(NORVA_FUZZ_CORPUS)}) {
            const QDir top(root);
            for (const QString &harness : top.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                const QDir d(top.filePath(harness));
                for (const QString &file : d.entryList(QDir::Files)) {
                    const QString row = top.dirName() + u'/' + harness + u'/' + file;
                    QTest::newRow(qPrintable(row)) << harness << d.filePath(file);
                    ++rows;
                }
            }
        }
        QVERIFY(rows > 0);
    }
    void replay()
    {
        QFETCH(QString, harness);
        QFETCH(QString, path);
        const fuzz::Check check = fuzz::checkNamed(harness);
        QVERIFY2(check, qPrintable(QStringLiteral("no harness ") + harness));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray input = f.readAll();
        testutil::ProgramDir dir;
        fuzz::setWorkFolder(dir.path());
        const QString wrong = check(input);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    }
};

QTEST_GUILESS_MAIN(TestFuzzRegressions)
#include "tst_fuzz_regressions.moc"
