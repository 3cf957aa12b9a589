// What a variable node learns from its owner, the host's debug-server object, when it is
// made: the target-access object and how the loaded program stores floating point.
#pragma once

#include <atlbase.h>
#include <hostinterfaces.h>

// The target-access object that command 202 of the host's command group gives; left
// empty when the command fails or gives no object.
void QelFetchTargetAccess(IUnknown *owner, CComPtr<IQelTargetAccess> &access);
// The information type of the loaded program (its IProgramInfo::GetInfoTypeGuid), asked
// through the symbol server that the owner carries; *type stays as it is on any failure.
void QelQueryProgramType(IUnknown *owner, GUID *type);
