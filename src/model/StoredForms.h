// The stored forms (asPlist) of shapes, kept between saves: saving a large page takes the forms of the
// shapes that did not change since they were last made instead of making them again, so the main
// thread's part of a save is small.
//
// A kept form is dropped when its shape or a shape inside it changes: every setter's finishing step,
// every redisplay request (which every visible change makes), and a container's new list of children
// drop the shape's form and those of its containers; a shape that goes takes its form with it. Tests run
// with QUORVEL_VERIFY_STORED_FORMS set, which compares every kept form with a fresh one and stops the
// program at the first that differs: a change that drops nothing is a fault to mend where it is made.
//
// Forms are kept only for calls on the main thread (where shapes change); elsewhere they are made afresh.
#pragma once

#include "platform/foundation/Value.h"

#include <memory>
#include <vector>

class Composition;
class Shape;

namespace storedForms {

class PackedForm;

// The forms of a page's children as a save takes them on the main thread (kept ones shared, missing ones
// made and kept), unpacked one at a time by the thread that writes them: the main thread neither builds
// nor frees their values. Immutable once taken.
class Taken {
public:
    std::size_t size() const { return forms_.size(); }
    // The index-th form as its value (any thread).
    pf::Value at(std::size_t index) const;

private:
    friend std::shared_ptr<const Taken> take(const std::vector<std::shared_ptr<Shape>>& shapes);
    std::vector<std::shared_ptr<const PackedForm>> forms_;
};

// The forms of the savable shapes among `shapes`, in their order.
std::shared_ptr<const Taken> take(const std::vector<std::shared_ptr<Shape>>& shapes);

// The shape's asPlist, kept or made (and kept).
pf::Value of(const Shape& shape);
// The shape changed: its form and its containers' go.
void drop(const Shape* shape);
// The shape is going.
void forget(const Shape* shape);
// Makes the forms of the page's shapes a few at a time on later turns of the main queue, so that the
// first save after opening finds them made. Stops when the page goes.
void makeInIdleTime(const std::weak_ptr<Composition>& page);

} // namespace storedForms
