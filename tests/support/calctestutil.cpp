#include "calctestutil.h"

namespace calctest {

namespace {

Pass *g_current = nullptr;

norva::Session &ownSession();

} // namespace

Pass::Pass(const QStringList &tables)
    : m_session(std::make_unique<norva::Session>(m_dir.locations()))
    , m_previous(g_current)
{
    g_current = this;
    testutil::writeAll(m_dir.file(QStringLiteral("norva.dat")), testutil::cp932Lines(tables));
    m_session->loadTables();
    set(QStringLiteral("UserName"), QStringLiteral("かもめ"));
    set(QStringLiteral("SpecifyDate"), false);
    set(QStringLiteral("TableKind1"), 5);
    set(QStringLiteral("TableKind2"), 5);
    set(QStringLiteral("ScoreFile"), logPath());
}

Pass::~Pass()
{
    if (g_current == this)
        g_current = m_previous;
}

void Pass::set(const QString &key, const QVariant &value)
{
    const std::optional<norva::Settings::Key> k = norva::Settings::keyNamed(key);
    QVERIFY2(g_current && k, qPrintable(key));
    g_current->settings().setValue(*k, value);
}

bool Pass::run(norva::ScorePassMode mode)
{
    m_error.reset();
    m_errorLine = -1;
    m_steps.clear();
    norva::PassHooks hooks;
    hooks.statusChange = [this](qint16 v) {
        m_steps.append(v);
    };
    hooks.reportError = [this](const norva::Error &e, qint64 line) {
        m_error = e.kind();
        m_errorLine = line;
    };
    norva::ScorePass pass(norva::PassSettings::from(settings()), tables());
    pass.setMode(mode);
    const bool ok = pass.run(results(), hooks);
    m_modeUsed = pass.modeUsed();
    m_summary = pass.summary();
    return ok;
}

namespace {

norva::Session &ownSession()
{
    static norva::Session own{norva::FileLocations::portable(QStringLiteral("."))};
    return own;
}

} // namespace

norva::CalcResults &results()
{
    return g_current ? g_current->results() : ownSession().results();
}

norva::Settings &settings()
{
    return g_current ? g_current->settings() : ownSession().settings();
}

norva::TableInfo &tables()
{
    return g_current ? g_current->tables() : ownSession().tables();
}

norva::ResultsReport report()
{
    return g_current ? g_current->session().report() : ownSession().report();
}

} // namespace calctest
