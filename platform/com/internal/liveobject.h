// The base of every COM object of this layer: it is counted while it lives
// (liveobjects.h). Internal to the library.
#pragma once

#include "basetypes.h"

namespace qelcom {

__attribute__((visibility("hidden"))) void NoteObjectMade();
__attribute__((visibility("hidden"))) void NoteObjectGone();

class LiveObject {
protected:
    LiveObject() { NoteObjectMade(); }
    ~LiveObject() { NoteObjectGone(); }
    LiveObject(const LiveObject &) = delete;
    LiveObject &operator=(const LiveObject &) = delete;
};

} // namespace qelcom
