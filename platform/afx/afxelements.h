// How the framework's containers make, compare and move their elements.
//
// New elements are made as the framework makes them: the storage is cleared to zero
// bytes and the element is then default-constructed in it, so a record whose constructor
// leaves a field alone finds it 0. Elements are compared with CompareElements, which a
// user may specialise for a type without operator==.
//
// Where an array shifts its elements, it moves them as C++ objects. A type that can be
// neither moved nor copied (a CObject-derived class, for example) is moved bytewise, as
// the framework moves every element, so such a type must not point into itself.
#pragma once

#include "basetypes.h"

#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

template <class TYPE>
inline void QelConstructElement(TYPE *element)
{
    memset(static_cast<void *>(element), 0, sizeof(TYPE));
    ::new (static_cast<void *>(element)) TYPE;
}

template <class TYPE, class ARG_TYPE>
inline BOOL CompareElements(const TYPE *element1, const ARG_TYPE *element2)
{
    return *element1 == *element2;
}

// Moves `count` constructed elements from `source` into raw storage at `target`
// (the ranges do not overlap); afterwards `source` is raw storage.
template <class TYPE>
inline void QelRelocateElements(TYPE *target, TYPE *source, int count)
{
    if constexpr (std::is_move_constructible_v<TYPE>) {
        for (int i = 0; i < count; ++i) {
            ::new (static_cast<void *>(target + i)) TYPE(std::move(source[i]));
            std::destroy_at(source + i);
        }
    } else if (count > 0) {
        memcpy(static_cast<void *>(target), static_cast<const void *>(source), sizeof(TYPE) * count);
    }
}

template <class TYPE>
inline void QelDestroyElements(TYPE *elements, int count)
{
    for (int i = 0; i < count; ++i)
        std::destroy_at(elements + i);
}
