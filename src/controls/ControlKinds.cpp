#include "controls/ControlKinds.h"

#include "controls/EntryControls.h"
#include "controls/ItemBars.h"
#include "controls/ListControls.h"
#include "controls/ScreenChrome.h"
#include "controls/SmallControls.h"
#include "controls/StretchImage.h"
#include "controls/UIButton.h"
#include "platform/foundation/ClassRegistry.h"
#include "shapes/ShapeKinds.h"

void registerControlKinds(pf::ClassRegistry& registry)
{
    registerShapeKinds(registry);
    for (const ShapeClass* kind : {&UIButton::staticClass(), &UIGradientButton::staticClass(),
                                   &UIBackButton::staticClass(), &UIIcon::staticClass(), &UISearchField::staticClass()})
        registry.add(*kind);
    for (const ShapeClass* kind :
         {&UISegmentedControl::staticClass(), &UITabBar::staticClass(), &UIToolbar::staticClass()})
        registry.add(*kind);
    for (const ShapeClass* kind : {&StretchImage9::staticClass(), &StretchImage25::staticClass()})
        registry.add(*kind);
    for (const ShapeClass* kind :
         {&UITableView::staticClass(), &UIActionSheet::staticClass(), &UIAlertDialog::staticClass(),
          &UINavigationBar::staticClass(), &UITextField::staticClass(), &UIKeyboard::staticClass(),
          &UIStatusBar::staticClass(), &UIHomeIndicator::staticClass(), &UISwitch::staticClass(),
          &UIActivityIndicator::staticClass()})
        registry.add(*kind);
}
