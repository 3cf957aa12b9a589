// The calling thread's temporary GDI and device-context objects (afxgdi.h), one table
// per C++ class, so that CFont::FromHandle and CGdiObject::FromHandle of one handle give
// objects of their own classes. Inside the framework only.
#pragma once

#include "gdiobjects.h"

#include <memory>
#include <unordered_map>

namespace qelafx {

// `Object` has a public handle member `Handle` that the temporary never owns: it is
// cleared before the object is deleted.
template <class Object, auto Handle> class TemporaryObjects {
public:
    ~TemporaryObjects()
    {
        for (auto &entry : objects_)
            (*entry.second).*Handle = nullptr;
    }

    template <class HandleType> Object *For(HandleType handle)
    {
        if (handle == nullptr)
            return nullptr;
        for (auto entry = objects_.begin(); entry != objects_.end();) {
            if (GetObjectType(entry->first) == 0) {
                (*entry->second).*Handle = nullptr;
                entry = objects_.erase(entry);
            } else {
                ++entry;
            }
        }
        std::unique_ptr<Object> &temporary = objects_[handle];
        if (temporary == nullptr) {
            temporary = std::make_unique<Object>();
            (*temporary).*Handle = handle;
        }
        return temporary.get();
    }

private:
    std::unordered_map<HGDIOBJ, std::unique_ptr<Object>> objects_;
};

} // namespace qelafx
