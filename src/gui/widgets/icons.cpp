#include "gui/widgets/icons.h"

namespace norva {

namespace {

// The images are SVG files in the program's resources, drawn crisp at any
// size and screen scale.
QString iconFile(const QString &key)
{
    struct Entry
    {
        const char16_t *key;
        const char16_t *file;
    };
    static const Entry entries[] = {
        {u"ScoreFileOpen", u"fileopen"}, {u"ResultsSave", u"save"},
        {u"Printer", u"print"},          {u"Exit", u"exit"},
        {u"NvCalc", u"calculate"},       {u"UserWindow", u"user"},
        {u"RankWindow", u"rank"},        {u"StageWindow", u"stage"},
        {u"WinWindow", u"win"},          {u"GraphWindow", u"graph"},
        {u"Customize", u"options"},      {u"AboutNorva", u"about"},
    };
    for (const Entry &e : entries)
        if (key == QStringView(e.key))
            return QStringLiteral(":/icons/") + QString::fromUtf16(e.file) + QStringLiteral(".svg");
    return {};
}

} // namespace

QIcon toolbarIcon(const QString &key)
{
    const QString file = iconFile(key);
    return file.isEmpty() ? QIcon() : QIcon(file);
}

QIcon programIcon()
{
    return QIcon(QStringLiteral(":/icons/norva.svg"));
}

} // namespace norva
