// The workspace of qelhost session: a workspace file is read into a storage in memory,
// where the servers work on it, and written back whole only when the session ends well,
// so a failed session leaves the file as it was.
#pragma once

#include <ole2.h>

#include <string>

namespace QelHost {

// A root storage in memory holding what the workspace file `path` holds, or nothing when
// there is no such file; false with the reason in *error when the file is no workspace.
bool LoadWorkspace(const std::string &path, IStorage **root, std::string *error);

// Writes `root` whole as the workspace file `path`: to a file beside it, which then takes
// its place. False with the reason in *error.
bool SaveWorkspace(IStorage *root, const std::string &path, std::string *error);

} // namespace QelHost
