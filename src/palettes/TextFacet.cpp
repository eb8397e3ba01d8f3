#include "palettes/TextFacet.h"

#include "canvas/Canvas.h"
#include "manipulators/Manipulator.h"
#include "model/UserDefaults.h"
#include "palettes/FacetControls.h"
#include "palettes/FacetRegistry.h"
#include "palettes/InspectorViewController.h"
#include "platform/foundation/UndoManager.h"
#include "platform/kit/Panels.h"
#include "platform/kit/View.h"
#include "platform/kit/ViewBuilders.h"
#include "platform/kit/Window.h"
#include "platform/text/Font.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>

using namespace facetcontrols;

namespace {

const QString appearanceKey = QStringLiteral("textAppearanceType");
const QString textColorKey = QStringLiteral("textColor");
const QString drawOnPathKey = QStringLiteral("textDrawOnPath");
const QString unlockedKey = QStringLiteral("selectionCompletelyUnlocked");

// Appearance 2 shows the text only while it is edited.
constexpr std::int64_t hiddenUnlessEdited = 2;

enum class TextPanel { Text, Classifier, ResizeText, Line };

// A row of alignment choices; a choice is written to the selection, then the styled runs give way.
void alignmentRow(TextFacet& facet, QWidget* panel, double y, const char* title, const char* key, const char* outlet,
                  std::initializer_list<std::pair<const char*, int>> items)
{
    label(panel, QString::fromLatin1(title), pf::Rect(8, y, 58, 22));
    QWidget* strip = segments(facet, panel, pf::Rect(66, y, 148, 22), selected(key), items);
    if (auto* group = strip->findChild<QButtonGroup*>())
        QObject::connect(group, &QButtonGroup::idClicked, strip, [&facet](int) { facet.textPropertyChanged(); });
    enableWith(facet, unlockedKey, {strip});
    facet.setOutlet(QString::fromLatin1(outlet), strip);
}

pf::View* buildTextPanel(TextFacet& facet, TextPanel kind)
{
    pf::View* panel = makePanel(142);
    const double y = 6;
    QComboBox* first = nullptr;
    if (kind == TextPanel::Line) {
        auto& line = static_cast<LineTextFacet&>(facet);
        auto* placement = new QComboBox(panel);
        placement->setGeometry(10, int(y), 140, 22);
        placement->addItem(QStringLiteral("Across"), 0);
        placement->addItem(QStringLiteral("Along Path"), 1);
        placement->addItem(QStringLiteral("Hidden Unless Edited"), 2);
        QObject::connect(placement, &QComboBox::activated, placement, [&line, placement](int index) {
            line.textAppearanceTypeChanged(placement->itemData(index).toInt());
        });
        enableWith(facet, unlockedKey, {placement});
        facet.setOutlet(QStringLiteral("textPopUpButton"), placement);
        first = placement;
    } else {
        QComboBox* appearance = popUp(facet, panel, pf::Rect(10, y, 140, 22), selected("textAppearanceType"),
                                      {{"Plain", 0}, {"Clipped", 1}, {"Hidden Unless Edited", 2}});
        QObject::connect(appearance, &QComboBox::activated, appearance, [&facet](int) { facet.textPropertyChanged(); });
        enableWith(facet, unlockedKey, {appearance});
        facet.setOutlet(QStringLiteral("textAppearanceTypePopUpButton"), appearance);
        first = appearance;
    }
    colorButton(facet, panel, pf::Rect(164, y, 44, 22), 907, "textColorButton");

    auto* font = new QPushButton(QStringLiteral("Font…"), panel);
    font->setCheckable(true);
    // The canvas keeps the keyboard: the font panel's choices go to it.
    font->setFocusPolicy(Qt::NoFocus);
    font->setGeometry(10, 34, 80, 24);
    QObject::connect(font, &QPushButton::toggled, font, [&facet](bool on) { facet.showFontPanel(on); });
    facet.setOutlet(QStringLiteral("textFontButton"), font);

    alignmentRow(facet, panel, 62, "Align", "textAlign", "textAlignControl",
                 {{"Left", 0}, {"Centre", 2}, {"Right", 1}, {"Full", 3}});
    alignmentRow(facet, panel, 88, "Vertical", "textVerticalAlign", "textVerticalAlignControl",
                 {{"Top", 1}, {"Middle", 0}, {"Bottom", 2}});
    // The resizing text's shadow is its fill shadow.
    if (kind == TextPanel::ResizeText)
        shadowRow(facet, panel, 114, "fillShadowHidden", 906);
    else
        shadowRow(facet, panel, 114, "textShadowHidden", 908);
    facet.setFirstKeyView(first);
    return panel;
}

template <class F>
FacetRegistry::Maker maker(bool editsFillShadow = false)
{
    return [editsFillShadow](InspectorViewController* inspector, const FacetClassInfo& info) -> std::shared_ptr<Facet> {
        return std::make_shared<F>(inspector, info, editsFillShadow);
    };
}

} // namespace

// ---- TextFacet ----

TextFacet::TextFacet(InspectorViewController* inspector, const FacetClassInfo& info, bool editsFillShadow)
    : Facet(inspector, info),
      shadowHiddenKey_(editsFillShadow ? QStringLiteral("fillShadowHidden") : QStringLiteral("textShadowHidden")),
      shadowColorKey_(editsFillShadow ? QStringLiteral("fillShadowColor") : QStringLiteral("textShadowColor"))
{
    setAction(QStringLiteral("textPropertyChanged:"), [this](const pf::MenuItem*) { textPropertyChanged(); });
}

QComboBox* TextFacet::textAppearanceTypePopUpButton() const
{
    return dynamic_cast<QComboBox*>(outlet(QStringLiteral("textAppearanceTypePopUpButton")));
}

QAbstractButton* TextFacet::textFontButton() const
{
    return dynamic_cast<QAbstractButton*>(outlet(QStringLiteral("textFontButton")));
}

void TextFacet::startObservingObject(Manipulator* selection)
{
    if (!selection) {
        clearColorButtons(*this);
        return;
    }
    const QStringList keys{appearanceKey,          textColorKey,    QStringLiteral("textAlign"),
                           QStringLiteral("textVerticalAlign"), shadowHiddenKey_, shadowColorKey_};
    observeSelectedObjectKeyPaths(keys);
    for (const QString& key : keys)
        observeValueForSelectedObjectKeyPath(key);
}

void TextFacet::observeValueForSelectedObjectKeyPath(const QString& keyPath)
{
    Manipulator* selection = selectedObject();
    if (!selection)
        return;
    const bool unlocked = isSelectionCompletelyUnlocked();
    if (keyPath == textColorKey || keyPath == shadowColorKey_) {
        showColor(*this, keyPath);
    } else if (keyPath == shadowHiddenKey_) {
        // Enabled or not, the button keeps its state.
        if (auto* button = dynamic_cast<ColorButton*>(outlet(QStringLiteral("shadowColorButton"))))
            button->setEnabled(unlocked && !selection->valueForKeyPath(keyPath).get<bool>().value_or(false));
    } else if (keyPath == appearanceKey) {
        const std::int64_t type = selection->valueForKeyPath(keyPath).get<std::int64_t>().value_or(0);
        const bool editable = unlocked && type != hiddenUnlessEdited;
        if (QAbstractButton* font = textFontButton())
            font->setEnabled(editable);
        if (ColorButton* color = colorButtonForKey(textColorKey))
            color->setEnabled(editable);
    }
}

void TextFacet::textPropertyChanged()
{
    Canvas* canvas = inspector() ? inspector()->canvas() : nullptr;
    Shape* editing = canvas ? canvas->textEditingShape() : nullptr;
    if (!editing)
        return;
    // Ending the edit may let go of the shape; it is kept until its runs are dropped.
    const auto shape = std::static_pointer_cast<Shape>(editing->shared_from_this());
    canvas->stopEditingText();
    shape->setNeedsDisplay();
    shape->clearTextAttributes();
    shape->setNeedsDisplay();
}

pf::Font TextFacet::currentFont()
{
    const UserDefaults& defaults = UserDefaults::instance();
    return pf::Font(defaults.selectedFontName(), defaults.selectedFontSize());
}

void TextFacet::showFontPanel(bool on)
{
    if (!on)
        return;
    // The panel's choices go to the first responder of the window the user works in: the canvas, or the
    // editor of the text being edited on it.
    Canvas* canvas = inspector() ? inspector()->canvas() : nullptr;
    if (canvas && !canvas->isEditingText())
        if (pf::Window* window = pf::Window::of(canvas))
            window->makeFirstResponder(canvas);
    pf::FontPanel& panel = pf::FontPanel::shared();
    panel.orderFront();
    panel.setPanelFont(currentFont());
}

// ---- LineTextFacet ----

QComboBox* LineTextFacet::textPopUpButton() const
{
    return dynamic_cast<QComboBox*>(outlet(QStringLiteral("textPopUpButton")));
}

void LineTextFacet::startObservingObject(Manipulator* selection)
{
    TextFacet::startObservingObject(selection);
    if (selection)
        observeSelectedObjectKeyPaths({drawOnPathKey});
    showPlacement();
}

void LineTextFacet::observeValueForSelectedObjectKeyPath(const QString& keyPath)
{
    TextFacet::observeValueForSelectedObjectKeyPath(keyPath);
    if (keyPath == appearanceKey || keyPath == drawOnPathKey)
        showPlacement();
}

int LineTextFacet::placementTag() const
{
    const Manipulator* selection = selectedObject();
    if (!selection)
        return 0;
    if (selection->valueForKeyPath(drawOnPathKey).get<bool>().value_or(false))
        return 1;
    return selection->valueForKeyPath(appearanceKey).get<std::int64_t>().value_or(0) == hiddenUnlessEdited ? 2 : 0;
}

void LineTextFacet::showPlacement()
{
    if (QComboBox* box = textPopUpButton()) {
        const QSignalBlocker quiet(box);
        box->setCurrentIndex(std::max(0, box->findData(placementTag())));
    }
}

void LineTextFacet::textAppearanceTypeChanged(int tag)
{
    Manipulator* selection = selectedObject();
    if (!selection || !isSelectionCompletelyUnlocked())
        return;
    {
        pf::UndoGrouping group(undoManagerOf(*this));
        selection->setValueForKeyPath(pf::Variant(tag == 1), drawOnPathKey);
        selection->setValueForKeyPath(pf::Variant(std::int64_t(tag == 2 ? hiddenUnlessEdited : 0)), appearanceKey);
    }
    textPropertyChanged();
}

// ---- registration ----

void TextFacet::registerFacets()
{
    FacetRegistry::registerMaker(QStringLiteral("TextFacet"), maker<TextFacet>());
    FacetRegistry::registerMaker(QStringLiteral("TextTextFacet"), maker<TextFacet>());
    FacetRegistry::registerMaker(QStringLiteral("ClassifierTextFacet"), maker<TextFacet>());
    FacetRegistry::registerMaker(QStringLiteral("ResizeTextFacet"), maker<TextFacet>(true));
    FacetRegistry::registerMaker(QStringLiteral("LineTextFacet"), maker<LineTextFacet>());
    // The text box's panel uses the "TextFacet" file.
    const std::pair<const char*, TextPanel> files[] = {{"TextFacet", TextPanel::Text},
                                                       {"ClassifierTextFacet", TextPanel::Classifier},
                                                       {"ResizeTextFacet", TextPanel::ResizeText},
                                                       {"LineTextFacet", TextPanel::Line}};
    for (const auto& [name, kind] : files) {
        const TextPanel panel = kind;
        pf::registerViewBuilder(QString::fromLatin1(name), [panel](pf::Responder* owner) -> pf::View* {
            auto* facet = dynamic_cast<TextFacet*>(owner);
            return facet ? buildTextPanel(*facet, panel) : nullptr;
        });
    }
}
