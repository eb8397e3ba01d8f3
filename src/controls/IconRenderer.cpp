#include "controls/IconRenderer.h"

#include "controls/IconDrawings.h"
#include "platform/foundation/Localized.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/text/AttributedString.h"
#include "platform/text/StringDrawing.h"

#include <QFontDatabase>

#include <array>
#include <unordered_map>
#include <sstream>

namespace {

constexpr std::array<const char*, IconRenderer::iconTypeCount> displayNames = {
    "None", "Add", "Albums", "Archive", "At Sign", "Back", "Bookmarks", "Browser", "Camera", "Clock", "Cloud",
    "Compose", "Contacts", "Downloads", "Fast Forward", "Favorites List", "Flag", "Folder", "Forward", "Heart",
    "Info", "Keypad", "List", "Menu", "More", "Navigate", "Pause", "Photos", "Play", "Reading List", "Refresh",
    "Remove", "Reply", "Rewind", "Search", "Share", "Star", "Stop", "Tabs", "Trash", "Voicemail",
};

// The named font when it is installed, else the fallback at the same size.
pf::Font installedFontOr(const char* name, double size, pf::Font (*fallback)(double))
{
    const QString family = QString::fromLatin1(name);
    return QFontDatabase::hasFamily(family) ? pf::Font(family, size) : fallback(size);
}

// The at sign is drawn thin: an ultralight face, or a light one when highlighted.
pf::Font atSignFont(double size, bool highlighted)
{
    return highlighted ? installedFontOr("Helvetica Neue Light", size, &pf::Font::boldSystemFont)
                       : installedFontOr("Helvetica Neue Ultralight", size, &pf::Font::systemFont);
}

pf::Point textOrigin(const std::string& geometry)
{
    std::istringstream in(geometry);
    in.imbue(std::locale::classic());
    double x = 0, y = 0;
    in >> x >> y;
    return {x, y};
}

void drawGlyph(pf::GraphicsContext& context, const QString& glyph, const pf::Font& font, const pf::Color& color,
               pf::Point topLeft)
{
    pf::TextAttributes attributes;
    attributes.font = font;
    attributes.foregroundColor = color;
    const pf::AttributedString text(glyph, attributes);
    pf::drawAttributedString(context, text, pf::Rect(topLeft, pf::Size(1000, 1000)), pf::UsesLineFragmentOrigin);
}

const pf::Path& pathOf(const icons::Step& step)
{
    // Kept per thread: a path keeps its painting forms (and Qt its own caches of them), made on first
    // paint, and previews draw icons on several threads at once. The steps live for the process.
    thread_local std::unordered_map<const icons::Step*, pf::Path> kept;
    auto [it, made] = kept.try_emplace(&step);
    if (made) {
        pf::Path shape = icons::parseGeometry(step.geometry);
        if (step.op == icons::Op::KnockOutStroke)
            shape = shape.strokedOutline(1, pf::LineCap::Butt, pf::LineJoin::Bevel, 8);
        if (step.op == icons::Op::KnockOut || step.op == icons::Op::KnockOutStroke) {
            pf::Path knockOut = pf::Path::rect(icons::knockOutRect);
            knockOut.append(shape);
            shape = std::move(knockOut);
        }
        it->second = std::move(shape);
    }
    return it->second;
}

void run(pf::GraphicsContext& context, const icons::Program& program, bool highlighted, const pf::Color& color)
{
    using icons::Op;
    for (const icons::Step& step : program) {
        switch (step.op) {
        case Op::Stroke:
            context.strokePath(pathOf(step));
            break;
        case Op::Fill:
            context.fillPath(pathOf(step), pf::WindingRule::NonZero);
            break;
        case Op::Outline:
            if (!highlighted) {
                context.strokePath(pathOf(step));
                break;
            }
            [[fallthrough]];
        case Op::FillStroke:
            context.fillPath(pathOf(step), pf::WindingRule::NonZero);
            context.strokePath(pathOf(step));
            break;
        case Op::KnockOut:
        case Op::KnockOutStroke:
            context.clip(pathOf(step), pf::WindingRule::EvenOdd);
            break;
        case Op::Save:
            context.saveGState();
            break;
        case Op::Restore:
            context.restoreGState();
            break;
        case Op::LineWidth:
            context.setLineWidth(step.value);
            break;
        case Op::LineWidthHighlighted:
            if (highlighted)
                context.setLineWidth(step.value);
            break;
        case Op::RoundCapJoin:
            context.setLineCap(pf::LineCap::Round);
            context.setLineJoin(pf::LineJoin::Round);
            break;
        case Op::AtSign:
            drawGlyph(context, QStringLiteral("@"), atSignFont(step.value, highlighted), color, textOrigin(step.geometry));
            break;
        case Op::InfoText:
            drawGlyph(context, QStringLiteral("i"), pf::Font::userFixedPitchFont(step.value), color,
                      textOrigin(step.geometry));
            break;
        }
    }
}

} // namespace

IconRenderer& IconRenderer::instance()
{
    static IconRenderer renderer;
    return renderer;
}

QString IconRenderer::localizedDisplayNameForIconType(std::int64_t type) const
{
    if (static_cast<std::uint64_t>(type) >= displayNames.size())
        return QString(QLatin1String(""));
    return pf::localized(QString::fromLatin1(displayNames[static_cast<std::size_t>(type)]));
}

void IconRenderer::populateMenuWithAllIconTypes(MenuModel& menu) const
{
    menu.removeAllItems();
    for (std::int64_t type = 0; type < iconTypeCount; ++type)
        menu.addItem({localizedDisplayNameForIconType(type), type, QString(QLatin1String(""))});
}

pf::Size IconRenderer::sizeForIconSize(std::int64_t iconSize)
{
    return iconSize == IconSizeNormal ? normalIconSize() : smallIconSize();
}

void IconRenderer::renderIcon(pf::GraphicsContext& context, std::int64_t type, std::int64_t iconSize, bool highlighted,
                              const pf::Color& color, const pf::Rect& rect) const
{
    context.saveGState();
    context.translate(rect.x(), rect.y());
    context.setLineWidth(1);
    context.setLineCap(pf::LineCap::Butt);
    context.setLineJoin(pf::LineJoin::Miter);
    context.setMiterLimit(8);
    context.setStrokeColor(color);
    context.setFillColor(color);
    // Types 1 to 40; each drawing knows only the two sizes.
    if (static_cast<std::uint64_t>(type) - 1 < static_cast<std::uint64_t>(iconTypeCount - 1)
        && (iconSize == IconSizeNormal || iconSize == IconSizeSmall)) {
        const icons::Drawing& drawing = icons::drawings()[static_cast<std::size_t>(type - 1)];
        const icons::Form& form = iconSize == IconSizeNormal ? drawing.normal : drawing.small;
        run(context, highlighted && !form.highlighted.empty() ? form.highlighted : form.plain, highlighted, color);
    }
    context.restoreGState();
}
