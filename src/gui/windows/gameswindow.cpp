#include "gui/windows/gameswindow.h"

#include "core/calc/calcresults.h"
#include "core/calc/scorepass.h"
#include "core/common/convert.h"
#include "core/common/error.h"
#include "core/common/messages.h"
#include "gui/widgets/fixedlayout.h"
#include "gui/widgets/messagebox.h"
#include "gui/windows/gamesmodel.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QVBoxLayout>

namespace norva {

GameLinesWindow::GameLinesWindow(const QString &title, const QStringList &lines, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_text(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("frmGameLines"));
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
    m_text->setObjectName(QStringLiteral("txtGameLines"));
    m_text->setAccessibleName(title);
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The log lines its results up in full-width and half-width characters.
    m_text->setFont(QFont(QStringLiteral("ＭＳ ゴシック"), 10));
    m_text->setPlainText(lines.join(u'\n'));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);
    resize(760, 560);
}

GamesWindow::GamesWindow(QMdiArea *area, const CalcResults &results)
    : ChildWindow(area, QStringLiteral("frmGames"), QStringLiteral("試合一覧"))
    , m_results(results)
    , m_first(QDate::currentDate().addMonths(-1))
    , m_last(QDate::currentDate())
{}

GamesWindow::~GamesWindow()
{
    delete m_gameWindow.data();
}

QTableView *GamesWindow::table() const
{
    return m_table;
}

GamesFilter *GamesWindow::filter() const
{
    return m_filter;
}

QLabel *GamesWindow::totalsLabel() const
{
    return m_totals;
}

void GamesWindow::onLoad()
{
    QWidget *f = client();
    f->setFont(formFont());
    // Made with the window and gone with it: the list is read anew each time.
    m_model = new GamesModel(m_results, f);
    m_filter = new GamesFilter(*m_model, f);

    auto *textLabel = new QLabel(QStringLiteral("卓(&T):"), f);
    m_textEdit = new QLineEdit(m_text, f);
    m_textEdit->setObjectName(QStringLiteral("txtGamesTable"));
    m_textEdit->setAccessibleName(QStringLiteral("卓の絞り込み"));
    m_textEdit->setClearButtonEnabled(true);
    textLabel->setBuddy(m_textEdit);
    m_periodBox = new QCheckBox(QStringLiteral("期間(&D):"), f);
    m_periodBox->setObjectName(QStringLiteral("chkGamesPeriod"));
    m_periodBox->setChecked(m_period);
    auto dateEdit = [f](const QString &name, const QString &accessible, QDate date) {
        auto *e = new QDateEdit(date, f);
        e->setObjectName(name);
        e->setAccessibleName(accessible);
        e->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
        e->setCalendarPopup(true);
        return e;
    };
    m_firstEdit =
        dateEdit(QStringLiteral("dtpGamesFirst"), QStringLiteral("期間の最初の日"), m_first);
    m_lastEdit = dateEdit(QStringLiteral("dtpGamesLast"), QStringLiteral("期間の最後の日"), m_last);
    auto *to = new QLabel(QStringLiteral("～"), f);

    auto *filterRow = new QHBoxLayout;
    filterRow->addWidget(textLabel);
    filterRow->addWidget(m_textEdit, 1);
    filterRow->addSpacing(8);
    filterRow->addWidget(m_periodBox);
    filterRow->addWidget(m_firstEdit);
    filterRow->addWidget(to);
    filterRow->addWidget(m_lastEdit);

    m_table = new QTableView(f);
    m_table->setObjectName(QStringLiteral("tblGames"));
    m_table->setAccessibleName(QStringLiteral("試合一覧"));
    m_table->setModel(m_filter);
    m_table->setSortingEnabled(true);
    // Log order until the user sorts.
    m_table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    // Rows of one height, so that tens of thousands of them scroll at once.
    QHeaderView *rows = m_table->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    rows->hide();
    QHeaderView *columns = m_table->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    const int digit = m_table->fontMetrics().horizontalAdvance(u'0');
    const int widths[GamesModel::ColumnCount] = {18, 18, 5, 6, 7, 5, 5, 5};
    for (int c = 0; c < GamesModel::ColumnCount; ++c)
        m_table->setColumnWidth(c, widths[c] * digit + 16);
    columns->setStretchLastSection(true);

    m_totals = new QLabel(f);
    m_totals->setObjectName(QStringLiteral("lblGamesTotal"));
    m_totals->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *layout = new QVBoxLayout(f);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(filterRow);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_totals);

    QObject::connect(m_textEdit, &QLineEdit::textChanged, f, [this] { applyFilter(); });
    QObject::connect(m_periodBox, &QCheckBox::toggled, f, [this] { applyFilter(); });
    QObject::connect(m_firstEdit, &QDateEdit::dateChanged, f, [this] { applyFilter(); });
    QObject::connect(m_lastEdit, &QDateEdit::dateChanged, f, [this] { applyFilter(); });
    // Enter, or a double-click as the style has it.
    QObject::connect(m_table, &QTableView::activated, f,
                     [this](const QModelIndex &index) { showGame(index.row()); });
    QObject::connect(m_filter, &QAbstractItemModel::modelReset, f, [this] { updateTotals(); });
    QObject::connect(m_filter, &QAbstractItemModel::layoutChanged, f, [this] { updateTotals(); });

    setOuterSize(9600, 5400);
    applyFilter();
}

void GamesWindow::onUnload()
{
    m_text = m_textEdit->text();
    m_period = m_periodBox->isChecked();
    m_first = m_firstEdit->date();
    m_last = m_lastEdit->date();
}

void GamesWindow::refresh()
{
    if (!client())
        return;
    m_model->refresh();
    updateTotals();
}

void GamesWindow::applyFilter()
{
    const bool period = m_periodBox->isChecked();
    m_firstEdit->setEnabled(period);
    m_lastEdit->setEnabled(period);
    m_filter->setTableText(m_textEdit->text().trimmed());
    if (period)
        m_filter->setDateRange(m_firstEdit->date(), m_lastEdit->date());
    else
        m_filter->setDateRange({}, {});
    updateTotals();
}

void GamesWindow::updateTotals()
{
    if (!m_totals)
        return;
    const GamesFilter::Totals t = m_filter->totals();
    QString text = QStringLiteral("表示 %1 / %2 試合").arg(t.games).arg(m_model->rowCount());
    if (t.games > 0)
        text += QStringLiteral("　平均順位 %1　得点合計 %2")
                    .arg(formatAverage(double(t.rankTotal) / double(t.games)))
                    .arg(t.scoreTotal);
    m_totals->setText(text);
    m_totals->setAccessibleName(text);
}

void GamesWindow::showGame(int row)
{
    if (!m_filter || row < 0 || row >= m_filter->rowCount())
        return;
    const int game = m_filter->mapToSource(m_filter->index(row, 0)).row();
    const GameList &games = m_results.games();
    const QString path = games.logMark().path;
    std::optional<QStringList> lines;
    try {
        ScoreLog log(path);
        lines = readGameLines(log, games, game);
    } catch (const Error &e) {
        showError(client(), QStringLiteral("試合の行を読み込めませんでした。") + msg::crlf() + path
                                + msg::crlf() + e.description());
        return;
    }
    if (!lines) {
        showMessage(client(), QMessageBox::Warning, QStringLiteral("確認"),
                    QStringLiteral("スコアファイルが計算のあとで変わったため、この試合を表示"
                                   "できません。もう一度計算してください。")
                        + msg::crlf() + path);
        return;
    }
    const QString title =
        QStringLiteral("試合 %1 %2").arg(games.startText(game), games.tableText(game));
    delete m_gameWindow.data();
    m_gameWindow = new GameLinesWindow(title, *lines, client()->window());
    m_gameWindow->show();
    m_gameWindow->raise();
    m_gameWindow->activateWindow();
}

} // namespace norva
