#include "cli/calccommand.h"

#include "core/calc/calcresults.h"
#include "core/calc/calculation.h"
#include "core/calc/gamescsv.h"
#include "core/calc/session.h"
#include "core/common/convert.h"
#include "core/common/error.h"
#include "core/common/exitsignals.h"
#include "core/common/fileops.h"
#include "core/common/filewatch.h"
#include "core/common/messages.h"
#include "core/settings/settings.h"
#include "core/tables/tableinfo.h"

#include "norva_version.h"

#include <QCommandLineParser>
#include <QEventLoop>
#include <QFileDevice>
#include <QRegularExpression>
#include <QTimer>

#include <memory>
#include <optional>

namespace norva::cli {

namespace {

QString helpText()
{
    return QStringLiteral(
        "使い方: norva-calc [オプション]\n"
        "\n"
        "スコアファイルから指定したユーザーの成績を集計し、試合結果を標準出力に書きます。\n"
        "設定 (norva.ini) と計算情報 (norva.dat) は、指定がなければ norva と同じものを\n"
        "読みます: norva-calc と同じフォルダーに norva.dat があればそのフォルダーのもの、\n"
        "なければ ~/.config/norva/ ($XDG_CONFIG_HOME/norva/) のもの (計算情報はそこに\n"
        "なければインストール先のもの)。設定ファイルを書き換えることはありません。\n"
        "\n"
        "オプション:\n"
        "  --ini FILE     設定ファイル (norva.ini の代わり)\n"
        "  --dat FILE     計算情報ファイル (norva.dat の代わり)\n"
        "  --log FILE     スコアファイル (設定の ScoreFile の代わり)\n"
        "  --user NAME    ユーザー名 (設定の UserName の代わり)\n"
        "  --report FILE  試合結果保存と同じ形式 (Shift_JIS、CR LF) のファイルを書きます。\n"
        "                 このときは --json がなければ標準出力に何も書きません。\n"
        "  --all-dates    計算日付を指定しません (設定の SpecifyDate の代わり)。\n"
        "  --json         集計結果を JSON で標準出力に書きます。\n"
        "  --games        --json に試合ごとの記録 (\"Games\") を加えます。\n"
        "  --games-csv FILE\n"
        "                 試合一覧を CSV (UTF-8、BOM 付き、CR LF) で書きます。\n"
        "                 FILE が - なら標準出力に書き、ほかには何も書きません。\n"
        "  --shift-jis    CSV を Shift_JIS で書きます。\n"
        "  --follow       集計のあともスコアファイルを見続け、結果が変わるたびに\n"
        "                 JSON を 1 行で標準出力に書きます (最初の結果も 1 行)。\n"
        "                 SIGINT、SIGTERM を受けるか、出力先が閉じられると終わります。\n"
        "  -h, --help     この説明を表示します。\n"
        "  -v, --version  バージョンを表示します。\n"
        "\n"
        "端末では、行数の多いスコアファイルの計算中に進み具合を標準エラー出力に表示します。\n"
        "\n"
        "終了コード:\n"
        "  0  集計できた\n"
        "  1  有効なデータがない、計算エラー、結果ファイルを書き込めない\n"
        "  2  使い方の誤り、スコアファイル・計算情報ファイルがない\n"
        "  (--follow では、見続けたあとは 0)\n");
}

// A message for the terminal: line ends as the terminal takes them.
QString plainLines(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

void appendArray(QString &out, const CalcResults &results, qint16 kind, qint32 count, bool compact)
{
    out += u'[';
    for (qint32 i = 0; i < count; ++i) {
        if (i > 0)
            out += compact ? QStringLiteral(",") : QStringLiteral(", ");
        out += QString::number(results.value(kind, i).toInt());
    }
    out += u']';
}

// text as a JSON string.
QString jsonString(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        if (c.unicode() < 0x20)
            out += QStringLiteral("\\u%1").arg(int(c.unicode()), 4, 16, QChar(u'0'));
        else
            out += c;
    }
    return out + u'"';
}

// The "Games" array: one object per counted game.
void appendGames(QString &out, const GameList &games, bool compact)
{
    const QString sep = compact ? QStringLiteral(",") : QStringLiteral(", ");
    const QString colon = compact ? QStringLiteral(":") : QStringLiteral(": ");
    out += u'[';
    for (qsizetype i = 0; i < games.size(); ++i) {
        const GameList::Game &g = games.at(i);
        if (i > 0)
            out += u',';
        out += compact ? QStringLiteral("{") : QStringLiteral("\n    {");
        auto number = [&](const char16_t *name, qint64 v, bool last = false) {
            out += u'"' + QString::fromUtf16(name) + u'"' + colon + QString::number(v)
                   + (last ? QString() : sep);
        };
        out += QStringLiteral("\"Start\"") + colon + jsonString(games.startText(i)) + sep;
        out += QStringLiteral("\"Table\"") + colon + jsonString(games.tableText(i)) + sep;
        number(u"Rank", g.rank);
        number(u"Score", g.score);
        number(u"Rating", g.rating);
        number(u"Hands", g.hands);
        number(u"Wins", g.wins);
        number(u"DealIns", g.dealIns, true);
        out += u'}';
    }
    if (!compact && !games.isEmpty())
        out += QStringLiteral("\n  ");
    out += u']';
}

// The figures beside the record: "Extra" and its object, written as the rest.
QString extraJson(const ExtraFigures &x, const TableInfo &tables, bool compact)
{
    const QString colon = compact ? QStringLiteral(":") : QStringLiteral(": ");
    const QString comma = compact ? QStringLiteral(",") : QStringLiteral(", ");
    const QString indent = compact ? QString() : QStringLiteral("\n    ");
    const QString itemIndent = compact ? QString() : QStringLiteral("\n      ");
    auto field = [&](const char16_t *name, const QString &value) -> QString {
        return u'"' + QString::fromUtf16(name) + u'"' + colon + value;
    };
    auto number = [&](const char16_t *name, qint64 value) -> QString {
        return field(name, QString::number(value));
    };
    auto tally = [&](const GameTally &t) -> QString {
        return number(u"Games", t.games) + comma + number(u"RankTotal", t.rankTotal) + comma
               + number(u"ScoreTotal", t.scoreTotal) + u'}';
    };
    auto list = [&](const QStringList &items) -> QString {
        if (items.isEmpty())
            return QStringLiteral("[]");
        return u'[' + itemIndent + items.join(u',' + itemIndent) + indent + u']';
    };
    QStringList opponents, kinds;
    for (const OpponentTally &o : x.opponents())
        opponents << u'{' + field(u"Name", jsonString(o.name)) + comma + tally(o.tally);
    for (const TableKindTally &k : x.tableKinds(tables))
        kinds << u'{' + number(u"Group", k.group) + comma + number(u"Id", k.id) + comma
                     + tally(k.tally);
    const QStringList fields{
        number(u"Wins", x.wins()),
        number(u"WinPoints", x.winPoints()),
        number(u"DealIns", x.dealIns()),
        number(u"DealInPoints", x.dealInPoints()),
        number(u"TsumoLosses", x.tsumoLosses()),
        number(u"TsumoLossPoints", x.tsumoLossPoints()),
        number(u"RiichiHands", x.riichiHands()),
        number(u"CallHands", x.callHands()),
        number(u"RecordedHands", x.recordedHands()),
        field(u"Opponents", list(opponents)),
        field(u"TableKinds", list(kinds)),
    };
    return field(u"Extra", u'{' + indent + fields.join(u',' + indent)
                               + (compact ? QString() : QStringLiteral("\n  ")) + u'}');
}

// The progress bar on a terminal: the pass reports every CheckLine lines.
class TerminalProgress final : public CalcProgress
{
public:
    TerminalProgress(QTextStream &err, bool terminal)
        : m_err(err)
        , m_terminal(terminal)
    {}
    ~TerminalProgress() override { end(); }

    bool wantsLineCount() const override { return m_terminal; }
    void begin(qint32 lines, qint32 checkLine) override
    {
        if (checkLine > 0)
            m_steps = qMax(lines / checkLine, 1);
    }
    void step(qint16 value) override
    {
        if (m_steps == 0)
            return;
        const int percent = int(qMin<qint64>(100, qint64(value) * 100 / m_steps));
        if (percent == m_percent)
            return;
        m_percent = percent;
        m_shown = true;
        const int filled = percent * Width / 100;
        m_err << u'\r' << msg::calcInProgress() << QStringLiteral(" [") << QString(filled, u'#')
              << QString(Width - filled, u'.') << QStringLiteral("] ") << percent << u'%';
        m_err.flush();
    }
    // Clears the bar from the terminal.
    void end()
    {
        if (m_shown) {
            m_err << "\r\x1b[K";
            m_err.flush();
            m_shown = false;
        }
    }

private:
    static constexpr int Width = 30;
    QTextStream &m_err;
    bool m_terminal;
    qint32 m_steps = 0;
    int m_percent = -1;
    bool m_shown = false;
};

// QCommandLineParser's own messages, in the program's language.
QString parserErrorText(const QString &english)
{
    static const QRegularExpression missing(QStringLiteral("^Missing value after '(.*)'\\.$"));
    static const QRegularExpression unexpected(
        QStringLiteral("^Unexpected value after '(.*)'\\.$"));
    if (const QRegularExpressionMatch m = missing.match(english); m.hasMatch())
        return QStringLiteral("オプション %1 に値がありません。").arg(m.captured(1));
    if (const QRegularExpressionMatch m = unexpected.match(english); m.hasMatch())
        return QStringLiteral("オプション %1 は値を取りません。").arg(m.captured(1));
    return QStringLiteral("コマンドラインを読み取れません。");
}

// Why a file that could not be read was not read: what is wrong with the file
// itself where that can be seen, else the failure of the reading.
ErrorKind readFailure(const QString &path, std::optional<ErrorKind> failure)
{
    const fileops::FileStatus fs = fileops::status(path);
    switch (fs.type) {
    case fileops::FileType::Missing:
        return ErrorKind::FileNotFound;
    case fileops::FileType::Regular:
        if (!fs.readable)
            return ErrorKind::ReadDenied;
        return failure.value_or(ErrorKind::IoError);
    default:
        return ErrorKind::NotRegularFile;
    }
}

// Flushes what the stream's file holds back; false when that fails.
bool flushDevice(QTextStream &stream)
{
    auto *file = qobject_cast<QFileDevice *>(stream.device());
    return !file || (file->flush() && file->error() == QFileDevice::NoError);
}

// What the terminal is told of a calculation that counted nothing: the
// failure of the pass, if any, and that nothing stands, then why (reasons, as
// the program's box says it).
QString outcomeText(const CalcOutcome &outcome, const QString &scoreFile,
                    const QStringList &reasons = {})
{
    switch (outcome.status) {
    case CalcOutcome::Status::Counted:
    case CalcOutcome::Status::Cancelled:
        return {};
    case CalcOutcome::Status::ScoreFileMissing:
        return plainLines(msg::scoreFileNotFound() + u'\n' + scoreFile);
    case CalcOutcome::Status::NoTableKinds:
        return msg::selectTableKinds();
    case CalcOutcome::Status::NoValidData:
        break;
    }
    QString text;
    if (outcome.passError) {
        text = msg::titleCalcError() + QStringLiteral(": ")
               + plainLines(outcome.passError->description());
        if (outcome.passErrorLine > 0)
            text += QStringLiteral(" (%1 行目)").arg(outcome.passErrorLine);
        text += u'\n';
    }
    return text + (QStringList{msg::noValidData()} + reasons).join(u'\n');
}

// --follow: the results as one line of JSON, then again each time they change
// while the log grows or changes, until a signal ends the program or nobody
// reads its output.
// The first outcome is told with firstReasons; later ones by their first
// lines only, so that a log that grows without the user's games does not
// repeat them with each game.
int followLog(Calculation &calculation, CalcResults &results, const TableInfo &tables,
              QTextStream &out, QTextStream &err, const CalcOutcome &first,
              const QStringList &firstReasons, bool games)
{
    QEventLoop loop;
    installExitSignalHandlers([&loop] { loop.quit(); });
    ignoreBrokenPipe();
    QString lastJson, lastMessage;
    auto tell = [&](const CalcOutcome &outcome, const QStringList &reasons = {}) {
        const QString message = outcomeText(outcome, calculation.scoreFile());
        if (!message.isEmpty() && message != lastMessage) {
            err << outcomeText(outcome, calculation.scoreFile(), reasons) << u'\n';
            err.flush();
        }
        lastMessage = message;
    };
    // False once the output is gone.
    auto show = [&] {
        const QString json = resultsJson(results, tables, true, games);
        if (json == lastJson)
            return true;
        lastJson = json;
        out << json;
        out.flush();
        return out.status() == QTextStream::Ok && flushDevice(out);
    };
    // Watched from before the first result is shown: a change after it is
    // seen, one before it is read by the update.
    FileWatch watch(calculation.scoreFile());
    auto update = [&] {
        const Calculation::Update u = calculation.update(results, exitRequestedFlag());
        if (u.outcome.status != CalcOutcome::Status::Cancelled)
            tell(u.outcome);
    };
    tell(first, firstReasons);
    update();
    if (show()) {
        QObject::connect(&watch, &FileWatch::changed, &loop, [&] {
            update();
            if (!show())
                loop.quit();
        });
        // Nobody may read the output any more while nothing is written.
        QTimer outputCheck;
        outputCheck.setInterval(1000);
        QObject::connect(&outputCheck, &QTimer::timeout, &loop, [&loop] {
            if (fileops::standardOutputClosed())
                loop.quit();
        });
        outputCheck.start();
        loop.exec();
    }
    removeExitSignalHandlers();
    return GamesCounted;
}

} // namespace

QString resultsJson(const CalcResults &results, const TableInfo &tables, bool compact,
                    bool withGames)
{
    QString out = compact ? QStringLiteral("{") : QStringLiteral("{\n");
    const QString separator = compact ? QStringLiteral(",") : QStringLiteral(",\n  ");
    if (!compact)
        out += QStringLiteral("  ");
    for (qint16 kind = 0; kind <= calc::LastKind; ++kind) {
        out +=
            u'"' + calcKindName(kind) + (compact ? QStringLiteral("\":") : QStringLiteral("\": "));
        if (kind == calc::RankCount || kind == calc::RankRunMax)
            appendArray(out, results, kind, calc::RankSlots, compact);
        else if (kind == calc::WinByHan)
            appendArray(out, results, kind, calc::HanSlots, compact);
        else if (calc::isSeries(kind))
            appendArray(out, results, kind, results.gameCount(), compact);
        else
            out += QString::number(results.value(kind).toInt());
        out += separator;
    }
    out += extraJson(results.extra(), tables, compact);
    if (withGames) {
        out += compact ? QStringLiteral(",\"Games\":") : QStringLiteral(",\n  \"Games\": ");
        appendGames(out, results.games(), compact);
    }
    out += compact ? QStringLiteral("}\n") : QStringLiteral("\n}\n");
    return out;
}

int runCalc(const QStringList &arguments, QTextStream &out, QTextStream &err, Session &session,
            bool terminal)
{
    QCommandLineParser p;
    const QCommandLineOption ini(QStringLiteral("ini"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption dat(QStringLiteral("dat"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption log(QStringLiteral("log"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption user(QStringLiteral("user"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption report(QStringLiteral("report"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption json(QStringLiteral("json"), QString());
    const QCommandLineOption allDates(QStringLiteral("all-dates"), QString());
    const QCommandLineOption follow(QStringLiteral("follow"), QString());
    const QCommandLineOption games(QStringLiteral("games"), QString());
    const QCommandLineOption gamesCsv(QStringLiteral("games-csv"), QString(),
                                      QStringLiteral("FILE"));
    const QCommandLineOption shiftJis(QStringLiteral("shift-jis"), QString());
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    p.addOptions({ini, dat, log, user, allDates, report, json, games, gamesCsv, shiftJis, follow,
                  help, version});
    auto usage = [&](const QString &text) {
        err << text << QStringLiteral("\n詳しくは norva-calc --help を見てください。\n");
        err.flush();
        return UsageError;
    };
    if (!p.parse(QStringList{QStringLiteral("norva-calc")} + arguments)) {
        if (!p.unknownOptionNames().isEmpty()) {
            QStringList names;
            for (const QString &n : p.unknownOptionNames())
                names << (n.size() > 1 ? QStringLiteral("--") : QStringLiteral("-")) + n;
            return usage(QStringLiteral("不明なオプションです: ") + names.join(u' '));
        }
        return usage(parserErrorText(p.errorText()));
    }
    if (!p.positionalArguments().isEmpty())
        return usage(QStringLiteral("余分な引数があります: ") + p.positionalArguments().join(u' '));
    if (p.isSet(follow) && p.isSet(report))
        return usage(QStringLiteral("--follow と --report は一緒に指定できません。"));
    if (p.isSet(follow) && p.isSet(gamesCsv))
        return usage(QStringLiteral("--follow と --games-csv は一緒に指定できません。"));
    if (p.isSet(games) && !p.isSet(json))
        return usage(QStringLiteral("--games は --json と一緒に指定します。"));
    if (p.isSet(shiftJis) && !p.isSet(gamesCsv))
        return usage(QStringLiteral("--shift-jis は --games-csv と一緒に指定します。"));
    // Standard output holds the CSV alone.
    const bool csvToOutput = p.isSet(gamesCsv) && p.value(gamesCsv) == QStringLiteral("-");
    if (csvToOutput && (p.isSet(json) || p.isSet(report)))
        return usage(QStringLiteral("--games-csv - は --json、--report と一緒に指定できません。"));
    auto fail = [&](const QString &text, int code) {
        err << plainLines(text) << u'\n';
        err.flush();
        return code;
    };
    // A full disk or a closed output is no success.
    auto finishOutput = [&] {
        out.flush();
        if (out.status() != QTextStream::Ok || !flushDevice(out))
            return fail(msg::outputWriteFailed(), NoValidData);
        return int(GamesCounted);
    };
    if (p.isSet(help)) {
        out << helpText();
        return finishOutput();
    }
    if (p.isSet(version)) {
        out << QStringLiteral("norva-calc %1.%2.%3\n")
                   .arg(NORVA_VERSION_MAJOR)
                   .arg(NORVA_VERSION_MINOR)
                   .arg(NORVA_VERSION_PATCH);
        return finishOutput();
    }
    if (!session.files().chosenHome.isEmpty())
        err << plainLines(msg::homeChosen(session.files().chosenHome)) << u'\n';

    // The settings and table definitions, read as the program reads them.
    Settings &settings = session.settings();
    const QString iniPath =
        p.isSet(ini) ? fileops::absolutePath(p.value(ini)) : session.files().settingsFile;
    if (p.isSet(ini)) {
        std::optional<ErrorKind> why;
        if (!settings.load(iniPath, &why))
            return fail(describe(readFailure(iniPath, why)) + u'\n' + iniPath, UsageError);
    } else {
        session.loadSettings();
    }
    const QString datPath =
        p.isSet(dat) ? fileops::absolutePath(p.value(dat)) : session.files().tablesFile;
    if (std::optional<ErrorKind> failure; !session.tables().load(datPath, &failure)) {
        const ErrorKind why = readFailure(datPath, failure);
        return fail(msg::tableFileReadFailed() + u'\n' + datPath
                        + (why == ErrorKind::FileNotFound ? QString() : u'\n' + describe(why)),
                    UsageError);
    }
    try {
        if (p.isSet(log))
            settings.setValue(Settings::ScoreFile, fileops::absolutePath(p.value(log)));
        if (p.isSet(user))
            settings.setValue(Settings::UserName, trimSpaces(p.value(user)).toString());
        if (p.isSet(allDates))
            settings.setValue(Settings::SpecifyDate, false);
    } catch (const Error &e) {
        return fail(e.description(), UsageError);
    }

    // The report never replaces the files it was made from.
    const QString reportPath = p.isSet(report) ? fileops::absolutePath(p.value(report)) : QString();
    const QStringList runFiles{settings.scoreFile(), iniPath, datPath};
    const bool reportToOutput = p.isSet(report) && fileops::isStandardOutput(reportPath);
    const QString csvPath =
        p.isSet(gamesCsv) && !csvToOutput ? fileops::absolutePath(p.value(gamesCsv)) : QString();
    for (const QString &target : {reportToOutput ? QString() : reportPath, csvPath}) {
        if (target.isEmpty())
            continue;
        try {
            fileops::checkWriteTarget(target, runFiles);
        } catch (const Error &e) {
            if (e.kind() == ErrorKind::ProtectedFile)
                return fail(msg::fileWriteFailed() + u'\n' + target + u'\n' + describe(e.kind()),
                            UsageError);
        }
    }

    TerminalProgress progress(err, terminal);
    CalcResults &results = session.results();
    Calculation calculation;
    const CalcOutcome outcome = calculation.run(settings, session.tables(), results, &progress);
    progress.end();
    auto reasons = [&](const CalcOutcome &o) {
        return noValidDataReasons(settings, session.tables(), o);
    };
    switch (outcome.status) {
    case CalcOutcome::Status::ScoreFileMissing:
    case CalcOutcome::Status::NoTableKinds:
        return fail(outcomeText(outcome, settings.scoreFile()), UsageError);
    case CalcOutcome::Status::NoValidData:
    case CalcOutcome::Status::Cancelled:
        if (p.isSet(follow))
            return followLog(calculation, results, session.tables(), out, err, outcome,
                             reasons(outcome), p.isSet(games));
        return fail(outcomeText(outcome, settings.scoreFile(), reasons(outcome)), NoValidData);
    case CalcOutcome::Status::Counted:
        break;
    }
    if (p.isSet(follow))
        return followLog(calculation, results, session.tables(), out, err, outcome, {},
                         p.isSet(games));

    if (p.isSet(gamesCsv)) {
        const csv::Bytes bytes =
            csv::encode(csv::gamesText(results.games()),
                        p.isSet(shiftJis) ? csv::Encoding::ShiftJis : csv::Encoding::Utf8WithMark);
        if (bytes.lossy)
            err << msg::csvLossy() << u'\n';
        if (csvToOutput) {
            out.flush();
            QIODevice *device = out.device();
            if (!device || device->write(bytes.data) != bytes.data.size())
                return fail(msg::outputWriteFailed(), NoValidData);
            return finishOutput();
        }
        QString reason;
        if (!writeFileSafely(
                csvPath, bytes.data,
                [&](const Error &e) {
                    reason = describe(e.kind());
                    return false;
                },
                runFiles))
            return fail(msg::fileWriteFailed() + u'\n' + csvPath
                            + (reason.isEmpty() ? QString() : u'\n' + reason),
                        NoValidData);
    }

    const ResultsReport reportText = session.report();
    if (reportToOutput) {
        // The report file is this program's own output (/dev/stdout): its
        // bytes go there as they are.
        out.flush();
        QIODevice *device = out.device();
        const QByteArray bytes = reportText.bytes();
        if (!device || device->write(bytes) != bytes.size())
            return fail(msg::outputWriteFailed(), NoValidData);
    } else if (p.isSet(report)) {
        QString reason;
        const bool written = reportText.save(
            reportPath,
            [&](const Error &e) {
                reason = describe(e.kind());
                return false;
            },
            runFiles);
        if (!written) {
            return fail(msg::fileWriteFailed() + u'\n' + reportPath
                            + (reason.isEmpty() ? QString() : u'\n' + reason),
                        NoValidData);
        }
    }
    if (p.isSet(json)) {
        out << resultsJson(results, session.tables(), false, p.isSet(games));
    } else if (!p.isSet(report) && !p.isSet(gamesCsv)) {
        for (const QString &line : reportText.lines())
            out << line << u'\n';
    }
    return finishOutput();
}

} // namespace norva::cli
