#include "controls/ControlDocking.h"

namespace controls {

pf::Value dockedPlist(const pf::Value& plist, const pf::Rect& page, Docking docking)
{
    if (docking == Docking::Free)
        return plist;
    pf::Rect frame = pf::rectFromString(plist.stringForKey("frame"));
    frame.origin.x = page.x();
    frame.size.width = page.width();
    switch (docking) {
    case Docking::BelowStatusBar: frame.origin.y = page.y() + 20; break;
    case Docking::Top: frame.origin.y = page.y(); break;
    case Docking::Bottom: frame.origin.y = page.y() + page.height() - 44; break;
    case Docking::BottomEdge: frame.origin.y = page.y() + page.height() - frame.height(); break;
    default: break;
    }
    pf::Value result = plist;
    result.set(QStringLiteral("frame"), pf::toString(frame));
    return result;
}

} // namespace controls
