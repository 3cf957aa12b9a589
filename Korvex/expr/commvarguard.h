// How the communication variable object's COM methods end: a COM error exception or a
// framework exception that ends a method's body becomes the method's answer, so none
// reaches the host.
#pragma once

#include <afx.h>
#include <comerror.h>

template <class Body>
HRESULT QelGuardedCall(Body body)
{
    try {
        return body();
    } catch (const _com_error &error) {
        return error.Error();
    } catch (CMemoryException *e) {
        e->Delete();
        return E_OUTOFMEMORY;
    } catch (CException *e) {
        e->Delete();
        return E_FAIL;
    }
}
