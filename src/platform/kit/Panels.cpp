#include "platform/kit/Panels.h"

#include "platform/kit/Responder.h"
#include "platform/kit/View.h"
#include "platform/kit/Window.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QPointer>

namespace pf {

namespace {

// The program's panels: a non-modal dialog made on first show, kept for the application's life.
class DialogFontPanel final : public FontPanel {
public:
    void orderFront() override
    {
        if (!dialog_) {
            dialog_ = new QFontDialog();
            dialog_->setAttribute(Qt::WA_DeleteOnClose, false);
            dialog_->setOption(QFontDialog::NoButtons);
            dialog_->setWindowTitle(QObject::tr("Fonts"));
            QObject::connect(dialog_, &QFontDialog::currentFontChanged, dialog_, [this](const QFont& f) {
                if (updating_)
                    return;
                Font font(f.family(), f.pointSizeF() > 0 ? f.pointSizeF() : f.pixelSize() / Font::layoutScale);
                if (f.bold())
                    font = font.withTrait(FontTrait::Bold);
                if (f.italic())
                    font = font.withTrait(FontTrait::Italic);
                userChoseFont(font);
            });
            showFont(panelFont());
        }
        dialog_->show();
        dialog_->raise();
    }

protected:
    void showFont(const Font& font) override
    {
        if (!dialog_)
            return;
        QFont f(font.substituteFamily());
        f.setPointSizeF(font.pointSize());
        f.setBold(font.isBold());
        f.setItalic(font.isItalic());
        updating_ = true;
        dialog_->setCurrentFont(f);
        updating_ = false;
    }

private:
    QPointer<QFontDialog> dialog_;
    bool updating_ = false;
};

class DialogColorPanel final : public ColorPanel {
public:
    void orderFront() override
    {
        if (!dialog_) {
            dialog_ = new QColorDialog();
            dialog_->setOptions(QColorDialog::NoButtons | QColorDialog::ShowAlphaChannel);
            dialog_->setWindowTitle(QObject::tr("Colors"));
            QObject::connect(dialog_, &QColorDialog::currentColorChanged, dialog_, [this](const QColor& c) {
                if (!updating_)
                    userChoseColor(Color::fromQt(c));
            });
            showColor(color());
        }
        dialog_->show();
        dialog_->raise();
    }

protected:
    void showColor(const Color& color) override
    {
        if (!dialog_)
            return;
        updating_ = true;
        dialog_->setCurrentColor(color.toQt());
        updating_ = false;
    }

private:
    QPointer<QColorDialog> dialog_;
    bool updating_ = false;
};

FontPanel*& installedFontPanel()
{
    static FontPanel* panel = nullptr;
    return panel;
}

ColorPanel*& installedColorPanel()
{
    static ColorPanel* panel = nullptr;
    return panel;
}

} // namespace

// ---- font panel ----

FontPanel::~FontPanel() = default;

FontPanel& FontPanel::shared()
{
    if (FontPanel* panel = installedFontPanel())
        return *panel;
    static DialogFontPanel program;
    return program;
}

void FontPanel::setShared(FontPanel* panel)
{
    installedFontPanel() = panel;
}

void FontPanel::setPanelFont(const Font& font)
{
    font_ = font;
    showFont(font);
}

Font FontPanel::convertFont(const Font& font) const
{
    switch (change_) {
    case Change::Family: {
        Font converted(chosen_.familyName(), font.pointSize());
        if (font.isBold())
            converted = converted.withTrait(FontTrait::Bold);
        if (font.isItalic())
            converted = converted.withTrait(FontTrait::Italic);
        return converted;
    }
    case Change::Face: {
        Font converted(font.familyName(), font.pointSize());
        if (chosen_.isBold())
            converted = converted.withTrait(FontTrait::Bold);
        if (chosen_.isItalic())
            converted = converted.withTrait(FontTrait::Italic);
        return converted;
    }
    case Change::Size:
        return font.withSize(chosen_.pointSize());
    case Change::None:
        break;
    }
    return font;
}

void FontPanel::userChoseFont(const Font& font)
{
    // Families compare by what draws them: the panel lists installed families, documents name others.
    if (font.substituteFamily() != font_.substituteFamily())
        change_ = Change::Family;
    else if (font.isBold() != font_.isBold() || font.isItalic() != font_.isItalic())
        change_ = Change::Face;
    else if (font.pointSize() != font_.pointSize())
        change_ = Change::Size;
    else
        change_ = Change::None;
    chosen_ = font;
    font_ = font;
    if (change_ != Change::None)
        sendActionToMainWindow(QStringLiteral("changeFont:"));
}

// ---- colour panel ----

ColorPanel::~ColorPanel() = default;

ColorPanel& ColorPanel::shared()
{
    if (ColorPanel* panel = installedColorPanel())
        return *panel;
    static DialogColorPanel program;
    return program;
}

void ColorPanel::setShared(ColorPanel* panel)
{
    installedColorPanel() = panel;
}

void ColorPanel::setColor(const Color& color)
{
    color_ = color;
    showColor(color);
}

void ColorPanel::userChoseColor(const Color& color)
{
    color_ = color;
    sendActionToMainWindow(QStringLiteral("changeColor:"));
}

bool sendActionToMainWindow(const QString& action)
{
    if (routeAction(action, nullptr))
        return true;
    if (Window* main = Window::mainWindow())
        for (QWidget* w = main->firstResponder(); w; w = w->parentWidget())
            if (auto* responder = dynamic_cast<Responder*>(w); responder && responder->tryToPerform(action, nullptr))
                return true;
    return sendAction(action);
}

} // namespace pf
