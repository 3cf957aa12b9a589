// Copies of storages element by element, since the platform's storages leave CopyTo out:
// the workspace file read into memory and written back, and the views' storages kept in
// the workspace.
#pragma once

#include <ole2.h>

namespace QelHost {

// Every element of `from`, its storages with all they hold, into `to`, replacing elements
// of the same names there. The first failure, which leaves `to` partly written.
HRESULT CopyStorage(IStorage *from, IStorage *to);

} // namespace QelHost
