// The storage object: one open storage element of a tree.
#include "internal/liveobject.h"
#include "internal/stgobjects.h"

#include <atomic>
#include <new>

namespace qelcom {

namespace {

// The modes an element is opened with: read or read-write, always exclusive.
bool IsOpenMode(DWORD mode)
{
    return (mode & ~DWORD(STGM_READWRITE | STGM_SHARE_EXCLUSIVE)) == 0 && (mode & STGM_SHARE_EXCLUSIVE) != 0;
}

// The modes an element is made with: read-write and exclusive, perhaps replacing.
bool IsCreateMode(DWORD mode)
{
    return (mode & ~DWORD(STGM_CREATE)) == (STGM_READWRITE | STGM_SHARE_EXCLUSIVE);
}

class StorageObject final : public IStorage, StgElement, LiveObject {
public:
    StorageObject(const std::shared_ptr<StgDocument> &doc, StgNode *node, DWORD mode, int depth, bool isRoot)
        : StgElement(doc, node, mode, depth), isRoot_(isRoot)
    {
    }

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IStorage) {
            *ppv = static_cast<IStorage *>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG count = --refs_;
        if (count == 0) {
            Close();
            delete this;
        }
        return count;
    }

    STDMETHODIMP CreateStream(const OLECHAR *pwcsName, DWORD grfMode, DWORD reserved1, DWORD reserved2,
                              IStream **ppstm) override
    {
        if (!ppstm)
            return STG_E_INVALIDPOINTER;
        *ppstm = nullptr;
        if (reserved1 != 0 || reserved2 != 0)
            return STG_E_INVALIDPARAMETER;
        std::lock_guard<std::mutex> lock(doc->mutex);
        StgNode *made = nullptr;
        HRESULT hr = CreateElement(pwcsName, grfMode, false, made);
        if (FAILED(hr))
            return hr;
        return MakeStreamObject(doc, made, grfMode & ~DWORD(STGM_CREATE), ppstm);
    }

    STDMETHODIMP OpenStream(const OLECHAR *pwcsName, void *reserved1, DWORD grfMode, DWORD reserved2,
                            IStream **ppstm) override
    {
        if (!ppstm)
            return STG_E_INVALIDPOINTER;
        *ppstm = nullptr;
        if (reserved1 != nullptr || reserved2 != 0)
            return STG_E_INVALIDPARAMETER;
        std::lock_guard<std::mutex> lock(doc->mutex);
        StgNode *found = nullptr;
        HRESULT hr = FindElementToOpen(pwcsName, grfMode, false, found);
        if (FAILED(hr))
            return hr;
        return MakeStreamObject(doc, found, grfMode, ppstm);
    }

    STDMETHODIMP CreateStorage(const OLECHAR *pwcsName, DWORD grfMode, DWORD reserved1, DWORD reserved2,
                               IStorage **ppstg) override
    {
        if (!ppstg)
            return STG_E_INVALIDPOINTER;
        *ppstg = nullptr;
        if (reserved1 != 0 || reserved2 != 0)
            return STG_E_INVALIDPARAMETER;
        std::lock_guard<std::mutex> lock(doc->mutex);
        StgNode *made = nullptr;
        HRESULT hr = CreateElement(pwcsName, grfMode, true, made);
        if (FAILED(hr))
            return hr;
        return MakeStorageObject(doc, made, grfMode & ~DWORD(STGM_CREATE), depth + 1, false, ppstg);
    }

    STDMETHODIMP OpenStorage(const OLECHAR *pwcsName, IStorage *pstgPriority, DWORD grfMode, SNB snbExclude,
                             DWORD reserved, IStorage **ppstg) override
    {
        if (!ppstg)
            return STG_E_INVALIDPOINTER;
        *ppstg = nullptr;
        if (pstgPriority != nullptr || snbExclude != nullptr || reserved != 0)
            return STG_E_INVALIDPARAMETER;
        std::lock_guard<std::mutex> lock(doc->mutex);
        StgNode *found = nullptr;
        HRESULT hr = FindElementToOpen(pwcsName, grfMode, true, found);
        if (FAILED(hr))
            return hr;
        return MakeStorageObject(doc, found, grfMode, depth + 1, false, ppstg);
    }

    STDMETHODIMP CopyTo(DWORD, const IID *, SNB, IStorage *) override { return E_NOTIMPL; }
    STDMETHODIMP MoveElementTo(const OLECHAR *, IStorage *, const OLECHAR *, DWORD) override { return E_NOTIMPL; }

    STDMETHODIMP Commit(DWORD grfCommitFlags) override
    {
        if (grfCommitFlags != STGC_DEFAULT)
            return STG_E_INVALIDFLAG;
        std::lock_guard<std::mutex> lock(doc->mutex);
        if (!node)
            return STG_E_REVERTED;
        // A storage opened for reading has changed nothing that could be written.
        if (!Writable())
            return S_OK;
        return FlushDocument(*doc);
    }

    STDMETHODIMP Revert() override
    {
        std::lock_guard<std::mutex> lock(doc->mutex);
        return node ? S_OK : STG_E_REVERTED;
    }

    STDMETHODIMP EnumElements(DWORD reserved1, void *reserved2, DWORD reserved3, IEnumSTATSTG **ppenum) override
    {
        if (!ppenum)
            return STG_E_INVALIDPOINTER;
        *ppenum = nullptr;
        if (reserved1 != 0 || reserved2 != nullptr || reserved3 != 0)
            return STG_E_INVALIDPARAMETER;
        std::vector<StatItem> items;
        {
            std::lock_guard<std::mutex> lock(doc->mutex);
            if (!node)
                return STG_E_REVERTED;
            try {
                items.reserve(node->children.size());
                for (const auto &child : node->children) {
                    const StgNode &element = *child.second;
                    items.push_back({element.name, DWORD(element.isStorage ? STGTY_STORAGE : STGTY_STREAM),
                                     element.data.size()});
                }
            } catch (const std::bad_alloc &) {
                return STG_E_INSUFFICIENTMEMORY;
            }
        }
        return MakeStatEnumerator(std::move(items), ppenum);
    }

    STDMETHODIMP DestroyElement(const OLECHAR *pwcsName) override
    {
        HRESULT hr = CheckElementName(pwcsName);
        if (FAILED(hr))
            return hr;
        std::lock_guard<std::mutex> lock(doc->mutex);
        if (!node)
            return STG_E_REVERTED;
        if (!Writable())
            return STG_E_ACCESSDENIED;
        StgChildren::iterator found;
        hr = Find(pwcsName, found);
        if (FAILED(hr))
            return hr;
        if (found == node->children.end())
            return STG_E_FILENOTFOUND;
        RemoveChild(found);
        return S_OK;
    }

    STDMETHODIMP RenameElement(const OLECHAR *pwcsOldName, const OLECHAR *pwcsNewName) override
    {
        HRESULT hr = CheckElementName(pwcsOldName);
        if (SUCCEEDED(hr))
            hr = CheckElementName(pwcsNewName);
        if (FAILED(hr))
            return hr;
        std::lock_guard<std::mutex> lock(doc->mutex);
        if (!node)
            return STG_E_REVERTED;
        if (!Writable())
            return STG_E_ACCESSDENIED;
        StgChildren::iterator from, to;
        hr = Find(pwcsOldName, from);
        if (SUCCEEDED(hr))
            hr = Find(pwcsNewName, to);
        if (FAILED(hr))
            return hr;
        if (from == node->children.end())
            return STG_E_FILENOTFOUND;
        if (to != node->children.end() && to != from)
            return STG_E_FILEALREADYEXISTS;
        if (from->second->open)
            return STG_E_ACCESSDENIED;
        std::u16string key, name;
        try {
            key = pwcsNewName;
            name = key;
        } catch (const std::bad_alloc &) {
            return STG_E_INSUFFICIENTMEMORY;
        }
        // Moving the map's own node re-keys the element without allocating, so a rename
        // cannot fail half-way.
        auto handle = node->children.extract(from);
        handle.key().swap(key);
        handle.mapped()->name.swap(name);
        node->children.insert(std::move(handle));
        doc->dirty = true;
        return S_OK;
    }

    STDMETHODIMP SetElementTimes(const OLECHAR *, const FILETIME *, const FILETIME *, const FILETIME *) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP SetClass(REFCLSID) override { return E_NOTIMPL; }
    STDMETHODIMP SetStateBits(DWORD, DWORD) override { return E_NOTIMPL; }

    STDMETHODIMP Stat(STATSTG *pstatstg, DWORD grfStatFlag) override
    {
        if (!pstatstg)
            return STG_E_INVALIDPOINTER;
        if (grfStatFlag != STATFLAG_DEFAULT && grfStatFlag != STATFLAG_NONAME)
            return STG_E_INVALIDFLAG;
        std::lock_guard<std::mutex> lock(doc->mutex);
        if (!node)
            return STG_E_REVERTED;
        const std::u16string *name = nullptr;
        if (grfStatFlag == STATFLAG_DEFAULT)
            name = isRoot_ ? &doc->rootName : &node->name;
        return FillStat(pstatstg, name, STGTY_STORAGE, 0, mode);
    }

private:
    // The element named `name`, or end(). The caller holds the mutex and has checked the name.
    HRESULT Find(const OLECHAR *name, StgChildren::iterator &found)
    {
        try {
            found = node->children.find(std::u16string(name));
        } catch (const std::bad_alloc &) {
            return STG_E_INSUFFICIENTMEMORY;
        }
        return S_OK;
    }

    // Destroys an element and everything in it; objects open on any of it are reverted.
    void RemoveChild(StgChildren::iterator child)
    {
        RevertOpenElements(*child->second, true);
        doc->dataBytes -= SubtreeDataBytes(*child->second);
        node->children.erase(child);
        doc->dirty = true;
    }

    HRESULT CreateElement(const OLECHAR *name, DWORD createMode, bool storage, StgNode *&made)
    {
        if (!IsCreateMode(createMode))
            return STG_E_INVALIDFLAG;
        HRESULT hr = CheckElementName(name);
        if (FAILED(hr))
            return hr;
        if (!node)
            return STG_E_REVERTED;
        if (!Writable())
            return STG_E_ACCESSDENIED;
        if (storage && depth >= kMaxStorageDepth)
            return STG_E_DOCFILETOOLARGE;
        StgChildren::iterator old;
        hr = Find(name, old);
        if (FAILED(hr))
            return hr;
        if (old != node->children.end() && (createMode & STGM_CREATE) == 0)
            return STG_E_FILEALREADYEXISTS;
        // Everything that may fail comes first, so that a replaced element is lost only
        // when its successor is sure to stand.
        std::unique_ptr<StgNode> element;
        std::u16string key;
        try {
            key = name;
            element = std::make_unique<StgNode>(storage, key);
            if (old == node->children.end()) {
                made = element.get();
                node->children.emplace(std::move(key), std::move(element));
                doc->dirty = true;
                return S_OK;
            }
        } catch (const std::bad_alloc &) {
            return STG_E_INSUFFICIENTMEMORY;
        }
        RevertOpenElements(*old->second, true);
        doc->dataBytes -= SubtreeDataBytes(*old->second);
        auto handle = node->children.extract(old);
        handle.key().swap(key);
        made = element.get();
        handle.mapped() = std::move(element);
        node->children.insert(std::move(handle));
        doc->dirty = true;
        return S_OK;
    }

    HRESULT FindElementToOpen(const OLECHAR *name, DWORD openMode, bool storage, StgNode *&found)
    {
        if (!IsOpenMode(openMode))
            return STG_E_INVALIDFLAG;
        HRESULT hr = CheckElementName(name);
        if (FAILED(hr))
            return hr;
        if (!node)
            return STG_E_REVERTED;
        if ((openMode & STGM_READWRITE) && !Writable())
            return STG_E_ACCESSDENIED;
        StgChildren::iterator element;
        hr = Find(name, element);
        if (FAILED(hr))
            return hr;
        if (element == node->children.end() || element->second->isStorage != storage)
            return STG_E_FILENOTFOUND;
        if (element->second->open)
            return STG_E_ACCESSDENIED;
        found = element->second.get();
        return S_OK;
    }

    // The last reference went: what was opened from this storage is reverted, and the root
    // takes its file with it.
    void Close()
    {
        std::lock_guard<std::mutex> lock(doc->mutex);
        if (node) {
            RevertOpenElements(*node, true);
        }
        if (isRoot_)
            CloseDocument(*doc);
    }

    std::atomic<ULONG> refs_{1};
    bool isRoot_;
};

} // namespace

HRESULT MakeStorageObject(const std::shared_ptr<StgDocument> &doc, StgNode *node, DWORD mode, int depth, bool isRoot,
                          IStorage **out)
{
    *out = new (std::nothrow) StorageObject(doc, node, mode, depth, isRoot);
    return *out ? S_OK : STG_E_INSUFFICIENTMEMORY;
}

} // namespace qelcom
