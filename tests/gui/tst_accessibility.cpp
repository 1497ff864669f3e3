// What a screen reader finds: every window walked, no interactive element
// without a name, every value named by its caption and the value as shown,
// text boxes named by their labels, and the toolbar, the table-kind boxes and
// the graph described.

#include "guiutil.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>

using namespace norva;
using namespace Qt::StringLiterals;

namespace {

QString accessible(QWidget *w, QAccessible::Text kind = QAccessible::Name)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(kind) : QString();
}

bool isInteractive(const QWidget *w)
{
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QLineEdit *>(w)
           || qobject_cast<const QComboBox *>(w) || qobject_cast<const QAbstractSlider *>(w);
}

bool isValue(const QWidget *w)
{
    const auto *label = qobject_cast<const QLabel *>(w);
    return label && label->frameShape() == QFrame::Box;
}

// What is wrong with the widgets of window, one line each.
QStringList faultsOf(QWidget *window)
{
    QStringList faults;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        const QString name = accessible(w);
        const QString what =
            QString::fromLatin1(w->metaObject()->className()) + u' ' + w->objectName();
        // Hidden ones too: a screen reader lists them, and they show when
        // the window is narrow or its children reach past it.
        if (isInteractive(w) && name.trimmed().isEmpty())
            faults << what + u": no name"_s;
        if (!w->isVisibleTo(window))
            continue;
        if (isValue(w)) {
            // The caption, then the value as shown.
            const QString text = qobject_cast<QLabel *>(w)->text();
            const QString value = text.isEmpty() ? QString() : u' ' + text;
            if (!name.endsWith(value) || name.chopped(value.size()).trimmed().isEmpty())
                faults << what + u": \""_s + name + u"\" for the value \""_s + text + u'"';
        }
    }
    return faults;
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

    std::unique_ptr<testutil::ProgramDir> m_dir;
    QPointer<MainWindow> m_main;

    QWidget *find(const QString &name) const { return m_main->findChild<QWidget *>(name); }

private slots:
    // The sample log of かもめ, every window open, calculated at start-up.
    void initTestCase()
    {
        guiutil::answerWithDefaults();
        m_dir = std::make_unique<testutil::ProgramDir>();
        guiutil::copySample(*m_dir);
        m_main = guiutil::start();
        QVERIFY(m_main);
        QVERIFY(guiutil::results().gameCount() > 0);
        // The graph is drawn, and described, once the window is laid out.
        QTRY_VERIFY(!accessible(find(u"picGameRpt"_s), QAccessible::Description).isEmpty());
    }
    void cleanupTestCase()
    {
        QVERIFY(guiutil::finish(m_main));
        m_dir.reset();
    }

    void everyWindowIsNamed()
    {
        const QStringList faults = faultsOf(m_main);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u", ")));
        int values = 0;
        int interactive = 0;
        for (QWidget *w : m_main->findChildren<QWidget *>()) {
            values += isValue(w) ? 1 : 0;
            interactive += isInteractive(w) && w->isVisibleTo(m_main) ? 1 : 0;
        }
        QCOMPARE(values, 34);
        QVERIFY(interactive
                >= 12 + 2 + 1 + 5 + 12); // text, choice and check boxes, toggles, buttons
        QStringList dialogs;
        const auto walk = [&](QWidget *w) {
            dialogs << w->objectName();
            [&] {
                QCOMPARE(faultsOf(w), QStringList());
            }();
            w->close();
        };
        QVERIFY(guiutil::withModal([&] { m_main->showOptions(); }, walk));
        QVERIFY(guiutil::withModal([&] { m_main->showAbout(); }, walk));
        QCOMPARE(dialogs, (QStringList{u"frmCustom"_s, u"frmAbout"_s}));
    }

    void names_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("caption"); // before the value as shown
        QTest::newRow("rank count") << u"lblRankNum(0)"_s << u"１位 回数"_s;
        QTest::newRow("rank run") << u"lblRankCont(3)"_s << u"４位 連続"_s;
        QTest::newRow("games") << u"lblAllNum"_s << u"試合数"_s;
        QTest::newRow("average score") << u"lblScoreAve"_s << u"平均得点"_s;
        QTest::newRow("own tsumo") << u"lblMyTumo"_s << u"本人 ツモ"_s;
        QTest::newRow("draw, others") << u"lblFlowOther"_s << u"流局時 その他"_s;
        QTest::newRow("wins") << u"lblWinAllNum"_s << u"総あがり数"_s;
        QTest::newRow("han class") << u"lblWinValue(1)"_s << u"二飜"_s;
        QTest::newRow("score file box") << u"txtFileName"_s << u"スコアファイル名"_s;
        QTest::newRow("user name box") << u"txtUserName"_s << u"ユーザー名"_s;
        QTest::newRow("start year") << u"txtStartDate(0)"_s << u"開始日付 年"_s;
        QTest::newRow("end minute") << u"txtEndTime(1)"_s << u"終了日付 分"_s;
        QTest::newRow("toolbar") << u"tbToolBar"_s << u"ツールバー"_s;
        QTest::newRow("graph") << u"picGameRpt"_s << u"グラフ"_s;
    }
    void names()
    {
        QFETCH(QString, control);
        QFETCH(QString, caption);
        QWidget *w = find(control);
        QVERIFY(w);
        const auto *label = qobject_cast<QLabel *>(w);
        QVERIFY(!label || !label->text().isEmpty());
        QCOMPARE(accessible(w), label ? caption + u' ' + label->text() : caption);
    }

    void descriptions()
    {
        for (const QString &box : {u"cmbTableInfo(1)"_s, u"cmbTableInfo(2)"_s})
            QCOMPARE(accessible(find(box), QAccessible::Description),
                     u"計算する卓の種類（%1）"_s.arg(box.at(13)));
        // The graph: each shown graph with its highest and lowest value.
        const QString graph = accessible(find(u"picGameRpt"_s), QAccessible::Description);
        QVERIFY2(graph.startsWith(u"グラフ（288 試合）： 得点 最高 "_s), qPrintable(graph));
        for (const QString &part :
             {u"、順位 最高 1位 最低 4位、翻別 最多 "_s, u"、Ｒ値 最高 "_s, u"、合計 最高 "_s})
            QVERIFY2(graph.contains(part), qPrintable(graph));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
