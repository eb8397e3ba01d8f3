#include "platform/kit/TextField.h"

#include <QKeyEvent>
#include <QLocale>

#include <cmath>

namespace pf {

QString NumberFormatter::stringForNumber(double value) const
{
    if (!std::isfinite(value))
        return {};
    const int most = std::max(0, maximumFractionDigits);
    QString text = QLocale::c().toString(value, 'f', most);
    text.remove(QLatin1Char(','));
    // Trailing zeros go, down to the least number of decimals.
    if (const qsizetype point = text.indexOf(QLatin1Char('.')); point >= 0) {
        const qsizetype keep = point + std::max(0, std::min(minimumFractionDigits, most));
        qsizetype end = text.size();
        while (end - 1 > keep && text.at(end - 1) == QLatin1Char('0'))
            --end;
        if (end - 1 == point && minimumFractionDigits <= 0)
            --end;
        text.truncate(end);
    }
    // No "-0".
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

std::optional<double> NumberFormatter::numberForString(const QString& text) const
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

TextField::TextField(QWidget* parent) : QLineEdit(parent) {}

TextField::~TextField() = default;

QString TextField::stringForNumber(double value) const
{
    if (formatter_)
        return formatter_->stringForNumber(value);
    return QLocale::c().toString(value, 'g', 15);
}

void TextField::bindValue(const std::shared_ptr<Object>& object, const QString& keyPath)
{
    unbindValue();
    bindingObject_ = object;
    bindingKeyPath_ = keyPath;
    if (object && !keyPath.contains(QLatin1Char('.')))
        bindingObservation_ = object->addObserver(keyPath, [this](Object&, const QString&, ChangePhase phase) {
            if (phase == ChangePhase::Did)
                updateFromBinding();
        });
    updateFromBinding();
}

void TextField::unbindValue()
{
    bindingObservation_ = {};
    bindingObject_.reset();
    bindingKeyPath_.clear();
}

void TextField::updateFromBinding()
{
    const auto object = bindingObject_.lock();
    if (!object)
        return;
    const Variant value = object->valueForKeyPath(bindingKeyPath_);
    if (value.isNumber())
        setText(stringForNumber(value.toDouble()));
    else if (const auto text = value.get<QString>())
        setText(*text);
    else
        clear();
    setModified(false);
}

bool TextField::writeValue(double value)
{
    const auto object = bindingObject_.lock();
    if (!object || bindingKeyPath_.isEmpty())
        return false;
    object->setValueForKeyPath(Variant(value), bindingKeyPath_);
    return true;
}

std::optional<double> TextField::numberValue() const
{
    if (formatter_)
        return formatter_->numberForString(text());
    return NumberFormatter{0, 15}.numberForString(text());
}

void TextField::commitEditing()
{
    if (!isModified())
        return;
    setModified(false);
    if (const auto number = numberValue())
        writeValue(*number);
    else
        updateFromBinding();
}

void TextField::keyPressEvent(QKeyEvent* event)
{
    if (IncrementFieldEditor::steps(*this)) {
        switch (event->key()) {
        case Qt::Key_Up:
            IncrementFieldEditor::moveUp(*this);
            event->accept();
            return;
        case Qt::Key_Down:
            IncrementFieldEditor::moveDown(*this);
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            IncrementFieldEditor::insertNewline(*this);
            break;
        default:
            break;
        }
    }
    QLineEdit::keyPressEvent(event);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        commitEditing();
}

void TextField::focusOutEvent(QFocusEvent* event)
{
    commitEditing();
    QLineEdit::focusOutEvent(event);
}

void IncrementFieldEditor::step(TextField& field, double by)
{
    // A field that shows no number (the selection has no one value) has nothing to step from.
    const auto number = field.numberValue();
    if (!number)
        return;
    const double value = *number + by;
    field.writeValue(value);
    field.setText(field.stringForNumber(value));
    field.setModified(false);
    field.selectAll();
}

void IncrementFieldEditor::insertNewline(TextField& field)
{
    const auto number = field.numberValue();
    if (!number)
        return;
    field.writeValue(*number);
    field.setText(field.stringForNumber(*number));
    field.setModified(false);
}

} // namespace pf
