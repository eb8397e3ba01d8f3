// The painter of the built-in phone icons that buttons and item controls show: icon types 1 to 40
// (0 is none), each drawn in code at a normal size of 28 points or a small one of 20 points, plain or
// highlighted, in any colour. Nothing is kept as bitmaps; fixed paths are built on first use and kept.
//
// Main thread only: the shared renderer and the path caches are made lazily without locks.
#pragma once

#include "controls/MenuModel.h"
#include "platform/foundation/Color.h"
#include "platform/foundation/Geometry.h"

#include <QString>

#include <cstdint>

namespace pf {
class GraphicsContext;
}

class IconRenderer {
public:
    enum IconType : std::int64_t {
        IconNone = 0, IconAdd, IconAlbums, IconArchive, IconAtSign, IconBack, IconBookmarks, IconBrowser,
        IconCamera, IconClock, IconCloud, IconCompose, IconContacts, IconDownloads, IconFastForward,
        IconFavoritesList, IconFlag, IconFolder, IconForward, IconHeart, IconInfo, IconKeypad, IconList,
        IconMenu, IconMore, IconNavigate, IconPause, IconPhotos, IconPlay, IconReadingList, IconRefresh,
        IconRemove, IconReply, IconRewind, IconSearch, IconShare, IconStar, IconStop, IconTabs, IconTrash,
        IconVoicemail,
    };
    // Types 0 to 40.
    static constexpr std::int64_t iconTypeCount = 41;
    enum IconSize : std::int64_t { IconSizeNormal = 0, IconSizeSmall = 1 };

    static IconRenderer& instance();

    // The display name of a type 0 to 40 ("None", "Add" …), localised; empty for any other value.
    QString localizedDisplayNameForIconType(std::int64_t type) const;
    // Replaces the menu's items by one per type 0 to 40, in order, titled by display name, tag = type.
    void populateMenuWithAllIconTypes(MenuModel& menu) const;

    static pf::Size normalIconSize() { return {28, 28}; }
    static pf::Size smallIconSize() { return {20, 20}; }
    // Normal for 0, small for any other value.
    static pf::Size sizeForIconSize(std::int64_t iconSize);

    // Draws one icon into the context with its top-left corner at rect's origin, in the icon's own grid
    // (rect's size does not scale it; size the rect with sizeForIconSize). The context's state is saved
    // and restored around it. Types outside 1 to 40 and sizes other than 0 and 1 draw nothing.
    void renderIcon(pf::GraphicsContext& context, std::int64_t type, std::int64_t iconSize, bool highlighted,
                    const pf::Color& color, const pf::Rect& rect) const;

private:
    IconRenderer() = default;
};
