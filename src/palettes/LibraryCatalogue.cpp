#include "palettes/LibraryCatalogue.h"

#include "model/ShapeClass.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/kit/Services.h"

#include <QRegularExpression>

#include <algorithm>

namespace library {

const QStringList& catalogueClassNames()
{
    static const QStringList names = {
        u"Bezier"_qs,          u"Brush"_qs,           u"ResizeText"_qs,          u"UIStatusBar"_qs,
        u"UIHomeIndicator"_qs, u"UINavigationBar"_qs, u"UIToolbar"_qs,           u"UISegmentedControl"_qs,
        u"UITabBar"_qs,        u"UITableView"_qs,     u"UITextField"_qs,         u"UISearchField"_qs,
        u"UIIcon"_qs,          u"UIButton"_qs,        u"UIGradientButton"_qs,    u"UIBackButton"_qs,
        u"UISwitch"_qs,        u"UIActivityIndicator"_qs, u"UIKeyboard"_qs,      u"UIAlertDialog"_qs,
        u"UIActionSheet"_qs,   u"Line"_qs,            u"Arc"_qs,                 u"SegmentedLine"_qs,
        u"Path"_qs,            u"Pointer"_qs,         u"Loupe"_qs,               u"Redact"_qs,
        u"Bracket"_qs,         u"Man"_qs,             u"Image"_qs,               u"Rectangle"_qs,
        u"RoundRectangle"_qs,  u"TitleBox"_qs,        u"Ellipse"_qs,             u"Triangle"_qs,
        u"RightTriangle"_qs,   u"Diamond"_qs,         u"PolygonShape"_qs,        u"Star"_qs,
        u"Arrow"_qs,           u"DoubleArrow"_qs,     u"Cloud"_qs,               u"Blob"_qs,
        u"Callout"_qs,         u"Cylinder"_qs,        u"Pie"_qs,                 u"Fan"_qs,
        u"Box"_qs,             u"Note"_qs,            u"Folder"_qs,              u"Swoosh"_qs,
        u"Tearaway"_qs,        u"DoubleTearaway"_qs,  u"Home"_qs,                u"Parallelogram"_qs,
        u"Input"_qs,           u"DoubleInput"_qs,
    };
    return names;
}

const QStringList& toolClassNames()
{
    static const QStringList names = {
        u"Bezier"_qs,     u"Brush"_qs,     u"Path"_qs,           u"Pointer"_qs, u"Line"_qs,
        u"SegmentedLine"_qs, u"Loupe"_qs,  u"ResizeText"_qs,     u"Rectangle"_qs, u"RoundRectangle"_qs,
        u"Ellipse"_qs,    u"Callout"_qs,   u"Image"_qs,          u"Redact"_qs,
    };
    return names;
}

pf::Value::Array catalogueEntries()
{
    pf::Value::Array entries;
    entries.reserve(std::size_t(catalogueClassNames().size()));
    for (const QString& name : catalogueClassNames()) {
        const ShapeClass* kind = pf::ClassRegistry::shared().lookup<ShapeClass>(name);
        if (!kind) {
            pf::logMessage(QStringLiteral("Library: no shape kind is named \"%1\"; it is not listed").arg(name));
            continue;
        }
        entries.push_back(kind->plist());
    }
    return entries;
}

namespace {

QString withoutWhiteSpace(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        if (!c.isSpace())
            out.append(c);
    return out;
}

} // namespace

std::vector<std::size_t> filterEntries(const pf::Value::Array& entries, const QString& query)
{
    std::vector<std::size_t> found;
    const QString trimmed = query.trimmed();
    if (trimmed.isEmpty()) {
        for (std::size_t i = 0; i < entries.size(); ++i)
            found.push_back(i);
        return found;
    }
    // Runs of blanks between words give no empty tokens: an empty token would find everything.
    const QStringList tokens = trimmed.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const pf::Value& entry = entries[i];
        const QString& negative = entry.stringForKey(u"negativeSearchString");
        if (negative.size() >= 2 && negative == trimmed)
            continue;
        // A missing value is empty text, never a word of its own that a query could find.
        const QString text = entry.stringForKey(u"title") + u' ' + entry.stringForKey(u"longDescription") + u' '
            + entry.stringForKey(u"extraSearchString");
        const QString joined = withoutWhiteSpace(text);
        const bool all = std::all_of(tokens.begin(), tokens.end(), [&](const QString& token) {
            return text.contains(token, Qt::CaseInsensitive) || joined.contains(token, Qt::CaseInsensitive);
        });
        if (all)
            found.push_back(i);
    }
    return found;
}

} // namespace library
