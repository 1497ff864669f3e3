#include "samplegen.h"

#include "core/common/cp932.h"

#include <QBuffer>
#include <QDateTime>
#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <vector>

namespace norva::samplegen {

namespace {

// A small generator of our own, so that a seed gives the same log with every
// compiler and standard library.
class Random
{
public:
    explicit Random(quint64 seed)
        : m_state(seed)
    {}

    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1
    int below(int n) { return int(next() % quint64(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    bool chance(double p) { return unit() < p; }
    // An index into weights, chosen in proportion to them.
    template<size_t N>
    int pick(const std::array<int, N> &weights)
    {
        const int total = std::accumulate(weights.begin(), weights.end(), 0);
        int r = below(total);
        for (size_t i = 0; i < N; ++i) {
            if (r < weights[i])
                return int(i);
            r -= weights[i];
        }
        return int(N - 1);
    }

private:
    quint64 m_state;
};

// CP932 text built line by line; every character's code is looked up once.
class Writer
{
public:
    explicit Writer(QIODevice &out)
        : m_out(out)
    {
        m_buf.reserve(ChunkSize + 4096);
    }

    void line(const QString &text)
    {
        for (QChar c : text) {
            const char16_t u = c.unicode();
            if (u < 0x80) {
                m_buf.append(char(u));
                continue;
            }
            const QByteArray &code = codeOf(u);
            m_buf.append(code);
        }
        m_buf.append("\r\n", 2);
        if (m_buf.size() >= ChunkSize)
            flush();
    }
    bool flush()
    {
        if (!m_buf.isEmpty() && m_out.write(m_buf) != m_buf.size())
            m_ok = false;
        m_buf.resize(0);
        return m_ok;
    }
    bool ok() const { return m_ok; }

private:
    static constexpr qsizetype ChunkSize = 1 << 20;

    const QByteArray &codeOf(char16_t u)
    {
        if (m_codes.empty())
            m_codes.resize(65536);
        QByteArray &code = m_codes[u];
        if (code.isEmpty())
            code = cp932::encodeLossy(QStringView(&u, 1));
        return code;
    }

    QIODevice &m_out;
    QByteArray m_buf;
    std::vector<QByteArray> m_codes;
    bool m_ok = true;
};

const char16_t *const RoundWinds[] = {u"東", u"南", u"西", u"北"};
const char16_t *const HanNumbers[] = {u"一", u"二", u"三", u"四"};
const char16_t *const Honours[] = {u"東", u"南", u"西", u"北", u"白", u"發", u"中"};

const char16_t *const Lengths[] = {u"東風戦", u"東南戦", u"東風速", u"東南速"};
const std::array<int, 4> LengthWeights = {45, 25, 18, 12};
const char16_t *const Classes[] = {u"一般卓", u"上級卓", u"技能卓", u"ランキング卓", u"練習卓"};
const std::array<int, 5> ClassWeights = {40, 28, 14, 12, 6};
const char16_t *const RuleWords[] = {u"", u"", u"", u" 赤有", u" 喰断有", u" 赤有 喰断有"};

const char16_t *const SmallYaku[] = {u"リーチ",  u"一発",     u"門前清模和", u"断ヤオ",
                                     u"平和",    u"一盃口",   u"役牌 白",    u"役牌 發",
                                     u"役牌 中", u"三色同順", u"一気通貫",   u"対々和",
                                     u"混一色",  u"七対子",   u"海底摸月",   u"嶺上開花"};
const char16_t *const BigYaku[] = {u"国士無双", u"四暗刻", u"大三元", u"字一色", u"緑一色"};

struct Win
{
    int base;      // basic points: fu x 2^(han+2), capped by the class
    QString label; // "30符 三飜", "満貫", "ハネ満貫", ...
};

Win drawWin(Random &rnd)
{
    // han 1..4 with fu, then the limit hands
    const int kind = rnd.pick(std::array<int, 9>{20, 25, 19, 11, 11, 7, 4, 1, 1});
    auto limit = [](int base, const char16_t *name) {
        return Win{base, QString::fromUtf16(name)};
    };
    switch (kind) {
    case 4:
        return limit(2000, u"満貫");
    case 5:
        return limit(3000, u"ハネ満貫");
    case 6:
        return limit(4000, u"倍満貫");
    case 7:
        return limit(6000, u"三倍満貫");
    case 8:
        return limit(8000, u"役満");
    default:
        break;
    }
    const int han = kind + 1;
    static const std::array<int, 6> fus = {30, 40, 50, 60, 70, 25};
    int fu = fus[size_t(rnd.pick(std::array<int, 6>{50, 28, 8, 5, 2, han >= 2 ? 7 : 0}))];
    const int base = fu * (1 << (han + 2));
    if (base >= 2000)
        return limit(2000, u"満貫");
    return Win{base,
               QStringLiteral("%1符 %2飜").arg(fu).arg(QString::fromUtf16(HanNumbers[han - 1]))};
}

int roundUp100(int v)
{
    return (v + 99) / 100 * 100;
}

QString signedAmount(int v)
{
    return QString::number(v); // positive without "+", negative with "-"
}

QString tile(Random &rnd)
{
    const int k = rnd.below(34);
    if (k < 27)
        return QString::number(k % 9 + 1) + QChar(u"mps"[k / 9]);
    return QString::fromUtf16(Honours[k - 27]);
}

class Game
{
public:
    Game(Random &rnd, Writer &w, const Options &o)
        : m_rnd(rnd)
        , m_w(w)
        , m_o(o)
    {}

    // Writes one game starting at start; returns its end.
    QDateTime write(const QDateTime &start, const std::array<int, 4> &seats,
                    std::vector<int> &ratings, int tableNo)
    {
        m_seats = seats;
        const int lengthKind = m_rnd.pick(LengthWeights);
        const bool hanchan = lengthKind == 1 || lengthKind == 3;
        const QString table = QString::fromUtf16(Lengths[lengthKind]) + u'：'
                              + QString::fromUtf16(Classes[m_rnd.pick(ClassWeights)])
                              + QString::fromUtf16(RuleWords[m_rnd.below(6)]);
        m_w.line(QStringLiteral("===== %1 %2卓 開始 %3 =====")
                     .arg(table)
                     .arg(tableNo)
                     .arg(start.toString(QStringLiteral("yyyy/MM/dd HH:mm"))));
        QString rl = QStringLiteral("  持点25000");
        for (int i = 0; i < 4; ++i)
            rl += QStringLiteral(" [%1]%2 R%3")
                      .arg(i + 1)
                      .arg(name(i))
                      .arg(ratings[size_t(seats[size_t(i)])]);
        m_w.line(rl);

        m_points = {25000, 25000, 25000, 25000};
        int dealer = 0, round = 0, handNo = 1, honba = 0, pot = 0, hands = 0;
        const int lastRound = hanchan ? 1 : 0;
        while (true) {
            const HandEnd e = playHand(dealer, round, handNo, honba, pot);
            ++hands;
            if (e.redo) {
                // a chombo: the hand is played again
            } else if (e.dealerKeeps) {
                ++honba;
            } else {
                honba = e.draw ? honba + 1 : 0;
                dealer = (dealer + 1) % 4;
                if (++handNo > 4) {
                    handNo = 1;
                    ++round;
                }
            }
            const bool bust =
                std::any_of(m_points.begin(), m_points.end(), [](int p) { return p < 0; });
            if (bust || round > lastRound || hands >= 24)
                break;
        }
        // What is left on the table goes to the top.
        std::array<int, 4> order = {0, 1, 2, 3};
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return m_points[size_t(a)] > m_points[size_t(b)]; });
        m_points[size_t(order[0])] += pot;
        static const int uma[] = {40, 10, -10, -20}; // the top also takes the 20 of the returns
        std::array<int, 4> scores{};
        int sum = 0;
        for (int r = 0; r < 4; ++r) {
            const int s = order[size_t(r)];
            scores[size_t(r)] = int(std::lround((m_points[size_t(s)] - 30000) / 1000.0)) + uma[r];
            sum += scores[size_t(r)];
        }
        scores[0] -= sum;
        m_w.line(QStringLiteral("  ---- 試合結果 ----"));
        for (int r = 0; r < 4; ++r) {
            const int s = order[size_t(r)];
            QString text = QStringLiteral("  %1位 %2").arg(r + 1).arg(name(s));
            // the name field is 13 columns wide, a wide character takes two
            const int width = int(cp932::encodeLossy(name(s)).size());
            text += QString(std::max(13 - width, 1), u' ');
            const QString score = scores[size_t(r)] > 0 ? u'+' + QString::number(scores[size_t(r)])
                                                        : QString::number(scores[size_t(r)]);
            text += QString(std::max(4 - int(score.size()), 0), u' ') + score;
            m_w.line(text);
            // ratings follow the rank
            static const int change[] = {18, 6, -6, -18};
            int &rating = ratings[size_t(m_seats[size_t(s)])];
            rating = std::clamp(rating + change[r] + m_rnd.between(-4, 4), 1000, 2400);
        }
        const QDateTime end = start.addSecs(60 * (hands * 3 + m_rnd.between(2, 6)));
        m_w.line(QStringLiteral("----- %1卓 終了 %2 -----")
                     .arg(tableNo)
                     .arg(end.toString(QStringLiteral("yyyy/MM/dd HH:mm"))));
        m_w.line(QString());
        return end;
    }

private:
    struct HandEnd
    {
        bool dealerKeeps = false;
        bool draw = false;
        bool redo = false;
    };

    QString name(int seat) const { return m_o.players[m_seats[size_t(seat)]]; }

    HandEnd playHand(int dealer, int round, int handNo, int honba, int &pot)
    {
        std::array<int, 4> change{};
        std::array<bool, 4> riichi{};
        HandEnd end;
        QString result;
        int winner = -1;
        const int potBefore = pot;
        const int kind = m_rnd.pick(std::array<int, 4>{54, 32, 13, 1}); // ron, tsumo, draw, chombo
        if (kind != 3) {
            for (int s = 0; s < 4; ++s) {
                if (m_points[size_t(s)] >= 1000 && m_rnd.chance(0.18)) {
                    riichi[size_t(s)] = true;
                    change[size_t(s)] -= 1000;
                    pot += 1000;
                }
            }
        }
        if (kind == 0 || kind == 1) {
            winner = m_rnd.below(4);
            const Win win = drawWin(m_rnd);
            const bool dealerWins = winner == dealer;
            if (kind == 0) {
                int loser = m_rnd.below(3);
                if (loser >= winner)
                    ++loser;
                const int pay = roundUp100(win.base * (dealerWins ? 6 : 4)) + 300 * honba;
                change[size_t(loser)] -= pay;
                change[size_t(winner)] += pay;
            } else {
                for (int s = 0; s < 4; ++s) {
                    if (s == winner)
                        continue;
                    const int pay =
                        roundUp100(win.base * (dealerWins || s == dealer ? 2 : 1)) + 100 * honba;
                    change[size_t(s)] -= pay;
                    change[size_t(winner)] += pay;
                }
            }
            change[size_t(winner)] += pot;
            pot = 0;
            result = win.label + (kind == 0 ? QStringLiteral("ロン") : QStringLiteral("ツモ"));
            result += yakuWords(win, riichi[size_t(winner)], kind == 1);
            end.dealerKeeps = dealerWins;
        } else if (kind == 2) {
            std::array<bool, 4> ready{};
            int k = 0;
            for (int s = 0; s < 4; ++s)
                k += (ready[size_t(s)] = riichi[size_t(s)] || m_rnd.chance(0.4)) ? 1 : 0;
            if (k > 0 && k < 4) {
                for (int s = 0; s < 4; ++s)
                    change[size_t(s)] += ready[size_t(s)] ? 3000 / k : -3000 / (4 - k);
            }
            result = QStringLiteral("流局");
            end.draw = true;
            end.dealerKeeps = ready[size_t(dealer)];
        } else {
            const int offender = m_rnd.below(4);
            for (int s = 0; s < 4; ++s) {
                if (s == offender)
                    continue;
                const int pay = offender == dealer || s == dealer ? 4000 : 2000;
                change[size_t(s)] += pay;
                change[size_t(offender)] -= pay;
            }
            result = QStringLiteral("チョンボ");
            end.redo = true;
        }
        for (int s = 0; s < 4; ++s)
            m_points[size_t(s)] += change[size_t(s)];

        // the hand line: the winner first, then the others in seat order
        QString hl = QStringLiteral("  %1%2局 %3本場(リーチ%4) ")
                         .arg(QString::fromUtf16(RoundWinds[round]))
                         .arg(handNo)
                         .arg(honba)
                         .arg(potBefore / 1000);
        auto entry = [&](int s) {
            hl += name(s) + u' ' + signedAmount(change[size_t(s)]) + u' ';
        };
        if (winner >= 0 && change[size_t(winner)] != 0)
            entry(winner);
        for (int s = 0; s < 4; ++s)
            if (s != winner && change[size_t(s)] != 0)
                entry(s);
        m_w.line(hl);
        m_w.line(QStringLiteral("    ") + result);
        if (m_o.tileRecords)
            writeTiles(dealer, winner, kind, riichi);
        m_w.line(QString());
        return end;
    }

    QString yakuWords(const Win &win, bool riichi, bool tsumo)
    {
        QString out;
        if (win.base == 8000)
            return u' ' + QString::fromUtf16(BigYaku[m_rnd.below(5)]);
        if (riichi)
            out += QStringLiteral(" リーチ");
        if (tsumo && m_rnd.chance(0.5))
            out += QStringLiteral(" 門前清模和");
        const int n = m_rnd.between(riichi ? 0 : 1, 3);
        for (int i = 0; i < n; ++i) {
            const QString y = QString::fromUtf16(SmallYaku[3 + m_rnd.below(13)]);
            if (!out.contains(y))
                out += u' ' + y;
        }
        if (m_rnd.chance(0.6))
            out += QStringLiteral(" ドラ%1").arg(m_rnd.between(1, 4));
        return out;
    }

    void writeTiles(int dealer, int winner, int kind, const std::array<bool, 4> &riichi)
    {
        for (int s = 0; s < 4; ++s) {
            std::vector<QString> tiles;
            for (int i = 0; i < 13; ++i)
                tiles.push_back(tile(m_rnd));
            std::sort(tiles.begin(), tiles.end(), [](const QString &a, const QString &b) {
                // suits first (m, p, s), then the honours
                const bool ha = a.size() == 1, hb = b.size() == 1;
                if (ha != hb)
                    return hb;
                if (ha)
                    return a < b;
                return a[1] != b[1] ? a[1] < b[1] : a[0] < b[0];
            });
            QString l = QStringLiteral("    [%1%2]")
                            .arg(s + 1)
                            .arg(QString::fromUtf16(RoundWinds[(s - dealer + 4) % 4]));
            for (const QString &t : tiles)
                l += t;
            m_w.line(l);
        }
        QString dora = QStringLiteral("    [表ドラ]") + tile(m_rnd) + QStringLiteral(" [裏ドラ]");
        if (winner >= 0 && riichi[size_t(winner)])
            dora += tile(m_rnd);
        m_w.line(dora);
        // the draws and discards, sixteen to a line
        const int turns = m_rnd.between(24, 56);
        QString l = QStringLiteral("    *");
        int onLine = 0;
        int s = dealer;
        for (int t = 0; t < turns; ++t) {
            l += QStringLiteral(" %1G%2 %1d%3").arg(s + 1).arg(tile(m_rnd)).arg(tile(m_rnd));
            if (riichi[size_t(s)] && t / 4 == 3)
                l += QStringLiteral(" %1R").arg(s + 1);
            onLine += 2;
            if (onLine >= 16) {
                m_w.line(l);
                l = QStringLiteral("    *");
                onLine = 0;
            }
            s = (s + 1) % 4;
        }
        if (kind <= 1 && winner >= 0)
            l += QStringLiteral(" %1A").arg(winner + 1);
        if (l.size() > 5)
            m_w.line(l);
    }

    Random &m_rnd;
    Writer &m_w;
    const Options &m_o;
    std::array<int, 4> m_seats{};
    std::array<int, 4> m_points{};
};

} // namespace

QStringList defaultPlayers()
{
    return {QStringLiteral("かもめ"),   QStringLiteral("ぽんた"),   QStringLiteral("Kumo-7"),
            QStringLiteral("ねこまた"), QStringLiteral("かもめ丸"), QStringLiteral("Taro_99"),
            QStringLiteral("しろくま"), QStringLiteral("Rin"),      QStringLiteral("ほたる"),
            QStringLiteral("山田太郎")};
}

bool writeLog(const Options &options, QIODevice &out)
{
    Options o = options;
    if (o.players.size() < 4)
        o.players = defaultPlayers();
    Random rnd(o.seed);
    Writer w(out);
    std::vector<int> ratings;
    for (qsizetype i = 0; i < o.players.size(); ++i)
        ratings.push_back(rnd.between(1350, 1750));
    const QDateTime first(o.startDate, QTime(0, 0), Qt::UTC);
    QDateTime t = first;
    const double slotMinutes = double(std::max(o.days, 1)) * 1440.0 / double(std::max(o.games, 1));
    Game game(rnd, w, o);
    const int others = int(o.players.size()) - 1;
    for (int g = 0; g < o.games; ++g) {
        std::array<int, 4> seats{};
        // the owner (when she sits) and three others, in random seats
        std::vector<int> pool;
        pool.resize(size_t(others));
        std::iota(pool.begin(), pool.end(), 1);
        for (size_t i = pool.size() - 1; i > 0; --i)
            std::swap(pool[i], pool[size_t(rnd.below(int(i) + 1))]);
        const bool owner = others < 4 || rnd.chance(o.ownerShare);
        for (int i = 0; i < 4; ++i)
            seats[size_t(i)] = i < others ? pool[size_t(i)] : 0;
        if (owner)
            seats[size_t(rnd.below(4))] = 0;
        if (owner && others == 3 && std::count(seats.begin(), seats.end(), 0) > 1) {
            // four players only: the owner takes the place left free
            seats = {0, pool[0], pool[1], pool[2]};
            std::swap(seats[0], seats[size_t(rnd.below(4))]);
        }
        if (g == 0)
            t = first.addSecs(60 * qint64(slotMinutes * 0.9 * rnd.unit()));
        const QDateTime end = game.write(t, seats, ratings, rnd.between(1, 60));
        // the next game somewhere in its own slot, never before this one ended
        const qint64 at = qint64(slotMinutes * (g + 1 + 0.9 * rnd.unit()));
        t = std::max(end.addSecs(60 * rnd.between(1, 10)), first.addSecs(60 * at));
        if (!w.ok())
            return false;
    }
    return w.flush();
}

QByteArray makeLog(const Options &options)
{
    QByteArray data;
    QBuffer buf(&data);
    buf.open(QIODevice::WriteOnly);
    writeLog(options, buf);
    return data;
}

} // namespace norva::samplegen
