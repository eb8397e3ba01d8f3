// Keeping an array sorted as objects are inserted one by one: a binary search for the place where an
// object belongs, given a comparison (negative: the new object goes before the element; 0: equal).
#pragma once

#include <cstddef>
#include <vector>

// The index at which object would belong in the sorted array. An element that is the object itself
// answers its own index; an equal element answers its index; otherwise the index after the last element
// that sorts before it.
template <class T, class Compare>
std::size_t indexWhereObjectWouldBelong(const std::vector<T>& array, const T& object, Compare compare)
{
    const std::size_t count = array.size();
    std::size_t step = 1;
    while (step <= count)
        step <<= 1;
    std::size_t low = 0;
    while (step > 0) {
        step >>= 1;
        const std::size_t probe = low + step;
        if (probe >= count)
            continue;
        if (array[probe] == object)
            return probe;
        const int order = compare(object, array[probe]);
        if (order == 0)
            return probe;
        if (order > 0) {
            low = probe + 1;
            if (step == 0)
                return low;
        }
    }
    return low;
}

template <class T, class Compare>
void insertObjectInArraySorted(std::vector<T>& array, T object, Compare compare)
{
    const std::size_t index = indexWhereObjectWouldBelong(array, object, compare);
    array.insert(array.begin() + std::ptrdiff_t(index), std::move(object));
}
