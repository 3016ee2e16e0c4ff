// Preloaded into a Fiskon program (LD_PRELOAD) to make the sync of a folder fail as a failing or
// unsupporting disk makes it fail: FISKON_FOLDER_SYNC_ERROR=EIO (or EINVAL, ENOSPC, ENOSYS) gives
// every fsync of a folder that error; the sync of a file goes through. Used by the test of saving
// onto real file systems (tools/test-filesystems).

#include <dlfcn.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

int configuredError() {
    const char* name = std::getenv("FISKON_FOLDER_SYNC_ERROR");
    if (!name) return 0;
    if (std::strcmp(name, "EIO") == 0) return EIO;
    if (std::strcmp(name, "EINVAL") == 0) return EINVAL;
    if (std::strcmp(name, "ENOSPC") == 0) return ENOSPC;
    if (std::strcmp(name, "ENOSYS") == 0) return ENOSYS;
    return 0;
}

}  // namespace

extern "C" int fsync(int fd) {
    using Fsync = int (*)(int);
    static const Fsync real = reinterpret_cast<Fsync>(dlsym(RTLD_NEXT, "fsync"));
    struct stat status {};
    if (const int error = configuredError(); error != 0 && fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
        errno = error;
        return -1;
    }
    return real(fd);
}
