#include "controls/ControlKinds.h"

#include "controls/EntryControls.h"
#include "controls/ListControls.h"
#include "controls/ScreenChrome.h"
#include "controls/SmallControls.h"
#include "platform/foundation/ClassRegistry.h"
#include "shapes/ShapeKinds.h"

void registerControlKinds(pf::ClassRegistry& registry)
{
    registerShapeKinds(registry);
    for (const ShapeClass* kind :
         {&UITableView::staticClass(), &UIActionSheet::staticClass(), &UIAlertDialog::staticClass(),
          &UINavigationBar::staticClass(), &UITextField::staticClass(), &UIKeyboard::staticClass(),
          &UIStatusBar::staticClass(), &UIHomeIndicator::staticClass(), &UISwitch::staticClass(),
          &UIActivityIndicator::staticClass()})
        registry.add(*kind);
}
