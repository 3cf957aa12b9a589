// For the tests of DDE conversations: what a test must find unchanged at its end.
#pragma once

#include "ddeinstance.h"

#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <string>

// A DDE folder of the test's own (QEL_DDE_DIR) while it lives, so that tests that run
// side by side never reach each other's services.
class QelPrivateDdeFolder {
public:
    QelPrivateDdeFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "qeldde-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            folder_ = pattern;
        setenv("QEL_DDE_DIR", folder_.c_str(), 1);
    }
    ~QelPrivateDdeFolder()
    {
        unsetenv("QEL_DDE_DIR");
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    QelPrivateDdeFolder(const QelPrivateDdeFolder &) = delete;
    QelPrivateDdeFolder &operator=(const QelPrivateDdeFolder &) = delete;

private:
    std::string folder_;
};

// Descriptors open in the process.
inline int QelOpenDescriptors()
{
    int count = 0;
    if (DIR *dir = opendir("/proc/self/fd")) {
        while (readdir(dir) != nullptr)
            ++count;
        closedir(dir);
    }
    return count;
}

// Children of this process that have not been reaped (running or ended), over all its
// threads.
inline std::string QelUnreapedChildren()
{
    std::string children;
    if (DIR *dir = opendir("/proc/self/task")) {
        while (dirent *task = readdir(dir)) {
            std::ifstream file(std::string("/proc/self/task/") + task->d_name + "/children");
            std::string line;
            if (std::getline(file, line))
                children += line;
        }
        closedir(dir);
    }
    return children;
}
