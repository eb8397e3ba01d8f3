// The drags run on the selection: resize, rotate, adjust and move.
#include "manipulators/Manipulator.h"

void Manipulator::beginDragResizeAtPointWithHandle(const pf::Point&, std::int64_t) {}
void Manipulator::mouseDragResizeEventAtPoint(const pf::Event&, const pf::Point&) {}
void Manipulator::endDragResize(const pf::Event&) {}
void Manipulator::beginDragRotateAtPointWithHandle(const pf::Point&, std::int64_t) {}
void Manipulator::mouseDragRotateEventAtPoint(const pf::Event&, const pf::Point&) {}
void Manipulator::endDragRotate(const pf::Event&) {}
void Manipulator::beginDragAdjustAtPointWithHandle(const pf::Point&, std::int64_t) {}
void Manipulator::mouseDragAdjustEventAtPoint(const pf::Event&, const pf::Point&) {}
void Manipulator::endDragAdjust(const pf::Event&) {}
void Manipulator::beginDragAdjust1AtPointWithHandle(const pf::Point&, std::int64_t) {}
void Manipulator::mouseDragAdjust1EventAtPoint(const pf::Event&, const pf::Point&) {}
void Manipulator::endDragAdjust1(const pf::Event&) {}
void Manipulator::beginDragMoveAtPoint(const pf::Point&) {}
void Manipulator::mouseDragMoveEventAtPoint(const pf::Event&, const pf::Point&) {}
void Manipulator::endDragMove(const pf::Event&) {}
