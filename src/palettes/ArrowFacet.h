// The arrowhead panel of connectors: a pop-up for each end whose menu pictures every head as a sample line
// draws it, and a swap of the two ends. Menu items carry tags in place of types for the four pairs of
// heads that face the other way at end B (35 and 36, 37 and 38, 39 and 40, 41 and 42 trade places), so an
// item pictured with a head writes its partner, which draws the same head at the other end.
#pragma once

#include "palettes/Facet.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QComboBox;
namespace pf {
class Menu;
}

class ArrowFacet : public Facet {
public:
    ArrowFacet(InspectorViewController* inspector, const FacetClassInfo& info);

    // Gives each pop-up its menu.
    void loadContentView() override;

    // The menus, built once on first request.
    const std::shared_ptr<pf::Menu>& menuA();
    const std::shared_ptr<pf::Menu>& menuB();
    // A menu of every head offered at end A (true) or B, each item a 96 × 14-point picture of a sample
    // line at the screen's pixel density; made with sticky setting off, so new shapes keep their style.
    std::shared_ptr<pf::Menu> menuForArrowTypeA(bool endA);

    // The types offered, in menu order.
    static const std::vector<std::uint64_t>& arrowTypesForEndA(bool endA);
    static std::int64_t tagForArrowType(std::uint64_t type);

    // The pop-up's chosen tag, to the selection's end; nothing while a selected shape is locked.
    void arrowTypeAChanged();
    void arrowTypeBChanged();
    // Exchanges the heads of every selected connector in one undo step; nothing while one is locked.
    void swapArrow();

    QComboBox* arrowPopUpButtonA() const;
    QComboBox* arrowPopUpButtonB() const;

    static void registerFacet();

private:
    void arrowTypeChanged(bool endA);

    std::shared_ptr<pf::Menu> menuA_;
    std::shared_ptr<pf::Menu> menuB_;
};
