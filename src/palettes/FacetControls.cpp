#include "palettes/FacetControls.h"

#include "canvas/Canvas.h"
#include "model/Composition.h"
#include "manipulators/Manipulator.h"
#include "palettes/ColorButton.h"
#include "palettes/Facet.h"
#include "palettes/InspectorCells.h"
#include "palettes/InspectorViewController.h"
#include "platform/foundation/UndoManager.h"
#include "platform/kit/View.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <QWheelEvent>

#include <cmath>
#include <memory>
#include <optional>
#include <utility>

namespace facetcontrols {

namespace {

QRect qRect(const pf::Rect& r)
{
    return QRect(int(std::lround(r.x())), int(std::lround(r.y())), int(std::lround(r.width())),
                 int(std::lround(r.height())));
}

std::optional<double> number(const pf::Variant& v)
{
    if (const auto d = v.get<double>(); d && std::isfinite(*d))
        return d;
    return std::nullopt;
}

// A stepping field whose lowest value, one step below the range, stands for "no value": it shows nothing,
// and so does the field while disabled.
class SteppingField final : public QDoubleSpinBox {
public:
    SteppingField(QWidget* parent, const NumberFormat& format) : QDoubleSpinBox(parent), scale_(format.scale)
    {
        setDecimals(format.decimals);
        setRange(format.minimum - format.step, format.maximum);
        setSingleStep(format.step);
        setSuffix(format.suffix);
        setSpecialValueText(QStringLiteral(" "));
        setKeyboardTracking(false);
        setAlignment(Qt::AlignRight);
    }
    bool isEmptyValue(double v) const { return v <= minimum(); }
    QString textFromValue(double v) const override
    {
        return ZeroEmptyTextFieldCell::attributedStringValue(isEnabled(), QDoubleSpinBox::textFromValue(v))
            .value_or(QString());
    }
    double modelValue(double v) const { return v / scale_; }
    void show(std::optional<double> v)
    {
        shown_ = v;
        const QSignalBlocker quiet(this);
        setValue(v && isEnabled() ? std::max(*v * scale_, minimum() + singleStep()) : minimum());
    }

protected:
    void changeEvent(QEvent* e) override
    {
        QDoubleSpinBox::changeEvent(e);
        if (e->type() == QEvent::EnabledChange)
            show(shown_);
    }

private:
    double scale_ = 1;
    std::optional<double> shown_;
};

// Passes the wheel on to the control's parents (the palette's scroll view) while the control lacks focus.
class WheelWithFocusOnly final : public QObject {
public:
    static WheelWithFocusOnly& shared()
    {
        static auto* filter = new WheelWithFocusOnly();
        return *filter;
    }
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() != QEvent::Wheel)
            return false;
        auto* control = qobject_cast<QWidget*>(watched);
        if (!control || control->hasFocus())
            return false;
        // Ignored, the event goes up the parent chain as a plain widget's would.
        e->ignore();
        return true;
    }
};

bool editsByWheel(const QWidget* widget)
{
    if (qobject_cast<const QScrollBar*>(widget))
        return false;
    return qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QComboBox*>(widget)
           || qobject_cast<const QAbstractSlider*>(widget);
}

void guardWheel(QWidget* control)
{
    if (!editsByWheel(control))
        return;
    // Installing twice keeps one entry: Qt moves a filter already installed to the front.
    control->installEventFilter(&WheelWithFocusOnly::shared());
    if (control->focusPolicy() == Qt::WheelFocus)
        control->setFocusPolicy(Qt::StrongFocus);
}

} // namespace

void takeWheelOnlyWithFocus(QWidget* root)
{
    if (!root)
        return;
    guardWheel(root);
    for (QWidget* child : root->findChildren<QWidget*>())
        guardWheel(child);
}

QString selected(const char* key) { return QStringLiteral("selectedObject.") + QString::fromLatin1(key); }

pf::View* makePanel(double height) { return new pf::View(pf::Rect(0, 0, panelWidth, height)); }

void useSmallFont(QWidget& widget)
{
    QFont font = widget.font();
    font.setPixelSize(11);
    widget.setFont(font);
}

QLabel* label(QWidget* parent, const QString& text, const pf::Rect& frame)
{
    auto* made = new QLabel(text, parent);
    made->setGeometry(qRect(frame));
    useSmallFont(*made);
    return made;
}

QDoubleSpinBox* numberField(Facet& facet, QWidget* parent, const pf::Rect& frame, const QString& keyPath,
                            const NumberFormat& format)
{
    auto* field = new SteppingField(parent, format);
    field->setGeometry(qRect(frame));
    QPointer<SteppingField> guard(field);
    pf::Binding& binding = facet.bindings().bind(facet, keyPath, [guard](const pf::Variant& v) {
        if (guard)
            guard->show(number(v));
    });
    QObject::connect(field, &QDoubleSpinBox::valueChanged, field, [field, &binding](double v) {
        if (!field->isEmptyValue(v))
            binding.write(pf::Variant(field->modelValue(v)));
    });
    return field;
}

QComboBox* popUp(Facet& facet, QWidget* parent, const pf::Rect& frame, const QString& keyPath,
                 std::initializer_list<std::pair<const char*, int>> items)
{
    auto* box = new QComboBox(parent);
    box->setGeometry(qRect(frame));
    for (const auto& [title, tag] : items)
        box->addItem(QString::fromUtf8(title), tag);
    QPointer<QComboBox> guard(box);
    pf::Binding& binding = facet.bindings().bind(facet, keyPath, [guard](const pf::Variant& v) {
        if (!guard)
            return;
        const QSignalBlocker quiet(guard.data());
        const auto value = v.get<std::int64_t>();
        const int index = value ? guard->findData(int(*value)) : -1;
        guard->setCurrentIndex(std::max(index, 0));
    });
    QObject::connect(box, &QComboBox::activated, box, [box, &binding](int index) {
        binding.write(pf::Variant(std::int64_t(box->itemData(index).toInt())));
    });
    return box;
}

QCheckBox* checkBox(Facet& facet, QWidget* parent, const pf::Rect& frame, const QString& title,
                    const QString& keyPath, bool inverted)
{
    auto* box = new QCheckBox(title, parent);
    box->setGeometry(qRect(frame));
    QPointer<QCheckBox> guard(box);
    pf::Binding& binding = facet.bindings().bind(facet, keyPath, [guard, inverted](const pf::Variant& v) {
        if (!guard)
            return;
        const QSignalBlocker quiet(guard.data());
        const auto flag = v.get<bool>();
        guard->setTristate(!flag);
        guard->setCheckState(!flag ? Qt::PartiallyChecked : (*flag != inverted ? Qt::Checked : Qt::Unchecked));
    });
    QObject::connect(box, &QCheckBox::clicked, box, [box, &binding, inverted](bool checked) {
        box->setTristate(false);
        binding.write(pf::Variant(checked != inverted));
    });
    return box;
}

QSlider* unitSlider(Facet& facet, QWidget* parent, const pf::Rect& frame, const QString& keyPath, int steps,
                    QSlider* made)
{
    QSlider* slider = made ? made : new QSlider(Qt::Horizontal, parent);
    slider->setParent(parent);
    slider->setGeometry(qRect(frame));
    slider->setRange(0, steps);
    QPointer<QSlider> guard(slider);
    pf::Binding& binding = facet.bindings().bind(facet, keyPath, [guard, steps](const pf::Variant& v) {
        if (!guard)
            return;
        const QSignalBlocker quiet(guard.data());
        guard->setValue(int(std::lround(std::clamp(number(v).value_or(1.0), 0.0, 1.0) * steps)));
    });
    // Every step of a drag is a change of the same turn's group only while the turn lasts; the value is
    // written when the slider moves, as the field beside it shows.
    QObject::connect(slider, &QSlider::valueChanged, slider,
                     [&binding, steps](int value) { binding.write(pf::Variant(double(value) / steps)); });
    return slider;
}

void groupSliderDrags(Facet& facet, QSlider* slider)
{
    auto group = std::make_shared<std::optional<std::pair<pf::UndoManager*, pf::UndoGroupToken>>>();
    QObject::connect(slider, &QSlider::sliderPressed, slider, [&facet, group] {
        if (pf::UndoManager* undo = undoManagerOf(facet))
            *group = {{undo, undo->beginUndoGrouping()}};
    });
    QObject::connect(slider, &QSlider::sliderReleased, slider, [group] {
        if (auto open = std::exchange(*group, std::nullopt))
            open->first->endUndoGrouping(open->second);
    });
}

QWidget* segments(Facet& facet, QWidget* parent, const pf::Rect& frame, const QString& keyPath,
                  std::initializer_list<std::pair<const char*, int>> items, const SegmentPainter& painter)
{
    auto* strip = new QWidget(parent);
    strip->setGeometry(qRect(frame));
    auto* group = new QButtonGroup(strip);
    group->setExclusive(false);
    const double width = frame.width() / double(items.size());
    double x = 0;
    for (const auto& [title, value] : items) {
        QToolButton* button = painter ? new DrawnSegmentButton(value, painter, strip) : new QToolButton(strip);
        button->setText(QString::fromUtf8(title));
        if (painter)
            button->setToolTip(button->text());
        button->setCheckable(true);
        button->setGeometry(qRect(pf::Rect(x, 0, width, frame.height())));
        group->addButton(button, value);
        x += width;
    }
    QPointer<QButtonGroup> guard(group);
    const auto show = [guard](std::optional<std::int64_t> value) {
        if (!guard)
            return;
        for (QAbstractButton* button : guard->buttons()) {
            const QSignalBlocker quiet(button);
            button->setChecked(value && guard->id(button) == *value);
        }
    };
    pf::Binding& binding =
        facet.bindings().bind(facet, keyPath, [show](const pf::Variant& v) { show(v.get<std::int64_t>()); });
    QObject::connect(group, &QButtonGroup::idClicked, group, [show, &binding](int id) {
        show(id);
        binding.write(pf::Variant(std::int64_t(id)));
    });
    return strip;
}

pf::UndoManager* undoManagerOf(const Facet& facet)
{
    const InspectorViewController* inspector = facet.inspector();
    const Canvas* canvas = inspector ? inspector->canvas() : nullptr;
    const auto page = canvas ? canvas->composition() : nullptr;
    return page ? page->undoManager() : nullptr;
}

void enableWith(Facet& facet, const QString& keyPath, std::initializer_list<QWidget*> controls)
{
    for (QWidget* control : controls)
        facet.bindings().bindEnabled(*control, facet, keyPath);
}

// ---- colour buttons ----

ColorButton* colorButton(Facet& facet, QWidget* parent, const pf::Rect& frame, int tag, const char* outlet)
{
    auto* button = new ColorButton(frame, parent);
    button->setTag(tag);
    button->setAction([&facet](ColorButton& b) { facet.showColorPanel(b); });
    facet.setOutlet(QString::fromLatin1(outlet), button);
    return button;
}

void shadowRow(Facet& facet, QWidget* parent, double y, const char* hiddenKey, int colorTag)
{
    QCheckBox* shadow = checkBox(facet, parent, pf::Rect(10, y, 120, 22), QStringLiteral("Shadow"), selected(hiddenKey), true);
    enableWith(facet, QStringLiteral("selectionCompletelyUnlocked"), {shadow});
    colorButton(facet, parent, pf::Rect(164, y, 44, 22), colorTag, "shadowColorButton");
}

void clearColorButtons(Facet& facet)
{
    facet.setCurrentColorPanelKey({});
    for (ColorButton* button : facet.allColorButtons()) {
        button->setState(false);
        button->setEnabled(false);
        button->setColor(std::nullopt);
    }
}

void turnOff(Facet& facet, ColorButton& button)
{
    if (facet.colorKeyForButton(button) != facet.currentColorPanelKey())
        button.setState(false);
}

void showColor(Facet& facet, const QString& key)
{
    if (ColorButton* button = facet.colorButtonForKey(key))
        button->setColor(facet.selectedObject()->valueForKeyPath(key).get<pf::OptionalColor>().value_or(std::nullopt));
}

void showShadowHidden(Facet& facet, const QString& hiddenKey)
{
    auto* button = dynamic_cast<ColorButton*>(facet.outlet(QStringLiteral("shadowColorButton")));
    if (!button)
        return;
    const bool hidden = facet.selectedObject()->valueForKeyPath(hiddenKey).get<bool>().value_or(false);
    turnOff(facet, *button);
    button->setEnabled(facet.isSelectionCompletelyUnlocked() && !hidden);
}

} // namespace facetcontrols
