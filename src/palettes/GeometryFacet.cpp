#include "palettes/GeometryFacet.h"

#include "manipulators/Manipulator.h"
#include "palettes/FacetControls.h"
#include "palettes/FacetRegistry.h"
#include "palettes/InspectorViewController.h"
#include "platform/kit/View.h"
#include "platform/kit/ViewBuilders.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGuiApplication>
#include <QPushButton>

using namespace facetcontrols;

const pf::PropertyTable& GeometryFacet::propertyTable() const
{
    // The plain facet's table is one for every facet; this one adds to it.
    static const pf::PropertyTable table = [this] {
        pf::PropertyTable t(&Facet::propertyTable());
        t.add(QStringLiteral("selectionCompletelyUnlocked"), &GeometryFacet::isGeometryEditable);
        t.add(QStringLiteral("geometrySizeEditable"), &GeometryFacet::isGeometrySizeEditable);
        t.addDependency(QStringLiteral("geometrySizeEditable"), {QStringLiteral("selectedObject")});
        return t;
    }();
    return table;
}

bool GeometryFacet::isGeometryEditable() const
{
    return isSelectionCompletelyUnlocked() && !(inspector() && inspector()->isSelectionGrouped());
}

void TextGeometryFacet::sizeToFit(bool optionHeld)
{
    if (isGeometryEditable() && selectedObject())
        selectedObject()->sizeToFitText(optionHeld);
}

void FlipGeometryFacet::flip()
{
    // The same rule as every other geometry edit: a locked or grouped selection is not flipped.
    if (!isGeometryEditable() || !selectedObject())
        return;
    const bool flipped = selectedObject()->valueForKeyPath(QStringLiteral("flipped")).get<bool>().value_or(false);
    selectedObject()->setValueForKeyPath(pf::Variant(std::int64_t(flipped ? 0 : 1)), QStringLiteral("flipped"));
}

namespace {

enum Parts : unsigned {
    Rotation = 1u << 0,
    Constrain = 1u << 1,
    Sides = 1u << 2,
    SizeToFit = 1u << 3,
    Flip = 1u << 4,
};

constexpr double rowHeight = 26;

pf::View* buildGeometryPanel(Facet& facet, unsigned parts)
{
    int rows = 2 + ((parts & Rotation) ? 1 : 0) + ((parts & (Constrain | Sides | SizeToFit | Flip)) ? 1 : 0);
    pf::View* panel = makePanel(rows * rowHeight + 10);
    const NumberFormat position{-Shape::displayFrameLimit, Shape::displayFrameLimit, 1, 1, {}};
    const NumberFormat size{0, Shape::displayFrameLimit, 1, 1, {}};
    double y = 6;
    // Two labelled fields on one row, enabled together and known by their outlets.
    const auto pair = [&](const char* firstLabel, const char* firstKey, const char* firstOutlet,
                          const char* secondLabel, const char* secondKey, const char* secondOutlet,
                          const NumberFormat& format, const char* enabledKey) {
        label(panel, QString::fromLatin1(firstLabel), pf::Rect(8, y, 18, 22));
        QDoubleSpinBox* first = numberField(facet, panel, pf::Rect(26, y, 80, 22), selected(firstKey), format);
        label(panel, QString::fromLatin1(secondLabel), pf::Rect(114, y, 18, 22));
        QDoubleSpinBox* second = numberField(facet, panel, pf::Rect(132, y, 80, 22), selected(secondKey), format);
        enableWith(facet, QString::fromLatin1(enabledKey), {first, second});
        facet.setOutlet(QString::fromLatin1(firstOutlet), first);
        facet.setOutlet(QString::fromLatin1(secondOutlet), second);
        y += rowHeight;
    };
    pair("X", "displayFrameX", "xField", "Y", "displayFrameY", "yField", position, "selectionCompletelyUnlocked");
    pair("W", "displayFrameWidth", "widthField", "H", "displayFrameHeight", "heightField", size,
         "geometrySizeEditable");
    if (parts & Rotation) {
        label(panel, QStringLiteral("Rotation"), pf::Rect(10, y, 100, 22));
        QDoubleSpinBox* angle = numberField(facet, panel, pf::Rect(132, y, 80, 22), selected("rotationAngle"),
                                            NumberFormat{-360, 360, 0, 1, QStringLiteral("°")});
        enableWith(facet, QStringLiteral("selectionCompletelyUnlocked"), {angle});
        facet.setOutlet(QStringLiteral("rotationField"), angle);
        y += rowHeight;
    }
    if (parts & Constrain) {
        QCheckBox* constrain = checkBox(facet, panel, pf::Rect(10, y, 200, 22), QStringLiteral("Constrain proportions"),
                                        selected("constrainAspectRatio"));
        enableWith(facet, QStringLiteral("selectionCompletelyUnlocked"), {constrain});
        facet.setOutlet(QStringLiteral("constrainCheckBox"), constrain);
    }
    if (parts & Sides) {
        label(panel, QStringLiteral("Sides"), pf::Rect(10, y, 60, 22));
        QComboBox* sides = popUp(facet, panel, pf::Rect(132, y, 80, 22), selected("numberOfSides"),
                                 {{"5", 5}, {"6", 6}, {"7", 7}, {"8", 8}});
        enableWith(facet, QStringLiteral("selectionCompletelyUnlocked"), {sides});
        facet.setOutlet(QStringLiteral("sidesPopUpButton"), sides);
    }
    const auto actionButton = [&](const QString& title, const QString& outlet, auto action) {
        auto* button = new QPushButton(title, panel);
        button->setGeometry(QRect(132, int(y), 80, 22));
        facet.setOutlet(outlet, button);
        QObject::connect(button, &QPushButton::clicked, button, action);
        enableWith(facet, QStringLiteral("selectionCompletelyUnlocked"), {button});
    };
    if (parts & SizeToFit) {
        auto* text = static_cast<TextGeometryFacet*>(&facet);
        actionButton(QStringLiteral("Size to Fit"), QStringLiteral("sizeToFitButton"), [text] {
            text->sizeToFit(QGuiApplication::keyboardModifiers().testFlag(Qt::AltModifier));
        });
    }
    if (parts & Flip) {
        auto* flipper = static_cast<FlipGeometryFacet*>(&facet);
        actionButton(QStringLiteral("Flip"), QStringLiteral("flipButton"), [flipper] { flipper->flipArc(); });
    }
    facet.setFirstKeyView(facet.outlet(QStringLiteral("xField")));
    return panel;
}

template <class F>
FacetRegistry::Maker maker()
{
    return [](InspectorViewController* inspector, const FacetClassInfo& info) -> std::shared_ptr<Facet> {
        return std::make_shared<F>(inspector, info);
    };
}

} // namespace

void GeometryFacet::registerFacets()
{
    struct Kind {
        const char* name;
        unsigned parts;
        FacetRegistry::Maker make;
    };
    const Kind kinds[] = {
        {"GeometryFacet", Rotation | Constrain, maker<GeometryFacet>()},
        {"GeometryNoConstrainFacet", Rotation, maker<GeometryFacet>()},
        {"GeometryNoConstrainNoRotationFacet", 0, maker<GeometryFacet>()},
        {"PolygonGeometryFacet", Rotation | Sides, maker<GeometryFacet>()},
        {"TextGeometryFacet", Rotation | SizeToFit, maker<TextGeometryFacet>()},
        {"PathGeometryFacet", Rotation | Constrain, maker<GeometryFacet>()},
        {"ClassifierGeometryFacet", Rotation | SizeToFit, maker<TextGeometryFacet>()},
        {"LoupeGeometryFacet", 0, maker<GeometryFacet>()},
        {"ArcGeometryFacet", Flip, maker<FlipGeometryFacet>()},
        {"SegmentedLineGeometryFacet", Flip, maker<FlipGeometryFacet>()},
    };
    for (const Kind& kind : kinds) {
        const QString name = QString::fromLatin1(kind.name);
        FacetRegistry::registerMaker(name, kind.make);
        const unsigned parts = kind.parts;
        pf::registerViewBuilder(name, [parts](pf::Responder* owner) -> pf::View* {
            auto* facet = dynamic_cast<Facet*>(owner);
            return facet ? buildGeometryPanel(*facet, parts) : nullptr;
        });
    }
}
