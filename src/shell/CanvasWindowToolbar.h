// The document window's toolbar: a QToolBar holding item wrappers (identifier, tag, picture, label,
// action). Plain items take their pictures by name from the identifier and the toolbar's size
// ("<identifier>32x32", or "<identifier>24x24" when small); the lock item draws its padlocks and offers
// Lock or Unlock; the delete item draws its red disc. Qt validates nothing by itself, so the toolbar asks
// its validator (the window controller's validateToolbarItem:) on the main queue after every turn with
// user input, when the selection, the page or the tool may have changed.
#pragma once

#include "platform/foundation/Dispatch.h"
#include "platform/graphics/Image.h"
#include "shell/CanvasWindowValidation.h"

#include <QString>
#include <QToolBar>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class CanvasWindowToolbar;
namespace pf {
class GraphicsContext;
}

// One item of the toolbar; its QAction is the button the toolbar shows.
class ToolbarItem : public virtual ValidatedToolbarItem {
public:
    ToolbarItem(const QString& identifier, std::int64_t tag, const QString& label, const QString& action);
    ~ToolbarItem() override;
    ToolbarItem(const ToolbarItem&) = delete;
    ToolbarItem& operator=(const ToolbarItem&) = delete;

    const QString& itemIdentifier() const { return identifier_; }
    std::int64_t tag() const override { return tag_; }
    void setEnabled(bool enabled) override;
    bool isEnabled() const;
    const QString& label() const { return label_; }
    void setLabel(const QString& label);
    // The action sent along the responder chain on a click.
    const QString& action() const { return action_; }
    void setAction(const QString& action) { action_ = action; }
    const pf::Image& image() const { return image_; }
    void setImage(const pf::Image& image);

    QAction* qAction() const { return qAction_; }
    CanvasWindowToolbar* toolbar() const { return toolbar_; }
    // Sends the action, as a click does.
    void perform() const;

    // Called when the toolbar adopts the item.
    virtual void awakeFromNib() {}

private:
    friend class CanvasWindowToolbar;
    QString identifier_;
    std::int64_t tag_;
    QString label_;
    QString action_;
    pf::Image image_;
    QAction* qAction_;
    CanvasWindowToolbar* toolbar_ = nullptr;
};

// An item whose picture is named after its identifier and the toolbar's size.
class ImageToolbarItem : public ToolbarItem {
public:
    // The picture is set on the next turn (cancelled when the item goes first).
    ImageToolbarItem(const QString& identifier, std::int64_t tag, const QString& label, const QString& action);
    void awakeFromNib() override;
    virtual void myUpdate();
    virtual pf::Image myImage() const;
    // "<identifier>24x24" in small size mode (2), "<identifier>32x32" otherwise.
    QString imageName() const;

private:
    pf::DelayedCallOwner calls_;
};

// The item that locks or unlocks the selection; the window sets its state while validating (tag 757).
class LockToolbarItem : public ImageToolbarItem, public ValidatedLockItem {
public:
    LockToolbarItem(const QString& identifier, std::int64_t tag);
    bool showsUnlock() const { return showsUnlock_; }
    void setShowsUnlock(bool showsUnlock) override { showsUnlock_ = showsUnlock; }
    int sizeMode() const { return sizeMode_; }
    void setSizeMode(int sizeMode) override { sizeMode_ = sizeMode; }
    // The label and action follow showsUnlock: "Unlock" and unlock:, or "Lock" and lock:.
    void myUpdate() override;
    pf::Image myImage() const override;

    // Made once per process (32 or 24 points square, y down) and answered again afterwards.
    static const pf::Image& largeLockIconImage();
    static const pf::Image& largeUnlockIconImage();
    static const pf::Image& smallLockIconImage();
    static const pf::Image& smallUnlockIconImage();
    static void drawLargeLockIcon(pf::GraphicsContext& context);
    static void drawLargeUnlockIcon(pf::GraphicsContext& context);
    static void drawSmallLockIcon(pf::GraphicsContext& context);
    static void drawSmallUnlockIcon(pf::GraphicsContext& context);

private:
    bool showsUnlock_ = false;
    int sizeMode_ = 0;
};

// The item that deletes the selection, with its red disc drawn once.
class DeleteToolbarItem : public ToolbarItem {
public:
    DeleteToolbarItem(const QString& identifier, std::int64_t tag, const QString& label, const QString& action);
    void awakeFromNib() override;
    static const pf::Image& deleteIconImage();
    static void drawDeleteIcon(pf::GraphicsContext& context);
};

class CanvasWindowToolbar : public QToolBar {
public:
    // The setting that keeps the size mode (1 regular, 2 small).
    static constexpr char SizeModeKey[] = "CanvasWindowToolbarSizeMode";
    using Validator = std::function<bool(ValidatedToolbarItem&)>;

    explicit CanvasWindowToolbar(QWidget* parent = nullptr);
    ~CanvasWindowToolbar() override;

    // Adopts the item: its button goes at the end, and it wakes.
    ToolbarItem& addItem(std::unique_ptr<ToolbarItem> item);
    const std::vector<std::unique_ptr<ToolbarItem>>& items() const { return items_; }
    ToolbarItem* itemWithIdentifier(const QString& identifier) const;

    // 0 default, 1 regular, 2 small. After the change every plain ImageToolbarItem takes its picture again
    // (subclasses follow at the next validation). Kept in the settings.
    int sizeMode() const { return sizeMode_; }
    void setSizeMode(int mode);
    // The context menu's two sizes.
    QMenu* sizeMenu() const { return sizeMenu_; }

    void setValidator(Validator validator) { validator_ = std::move(validator); }
    // Enables each visible item by the validator's answer.
    void validateVisibleItems();
    // validateVisibleItems on the next turn (once, however often asked in a turn).
    void setNeedsValidation();

    // The window's items: delete, duplicate, group, ungroup, lock, bring to front, send to back, the
    // alignments, the boolean operations and share.
    static std::unique_ptr<CanvasWindowToolbar> makeDefault();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void applyIconSize();

    std::vector<std::unique_ptr<ToolbarItem>> items_;
    int sizeMode_ = 0;
    Validator validator_;
    pf::DelayedCallOwner calls_;
    QMenu* sizeMenu_;
};
