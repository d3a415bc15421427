// A network share whose server can go away: it serves the files of a folder, and while the flag
// file exists every lookup, stat and read waits for it to go, as a share's client waits for its
// server to come back. Usage: stallingshare FOLDER MOUNTPOINT FLAG
#define FUSE_USE_VERSION 31
#include <fuse.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

const char *folder = nullptr;
const char *flag = nullptr;

std::string served(const char *path)
{
    while (access(flag, F_OK) == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return folder + std::string(path);
}

int getStatus(const char *path, struct stat *status, fuse_file_info *)
{
    return lstat(served(path).c_str(), status) == 0 ? 0 : -errno;
}

int getVolumeStatus(const char *path, struct statvfs *status)
{
    return statvfs(served(path).c_str(), status) == 0 ? 0 : -errno;
}

int readFile(const char *path, char *buffer, size_t size, off_t offset, fuse_file_info *)
{
    const int file = open(served(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return -errno;
    const ssize_t count = pread(file, buffer, size, offset);
    const int error = errno;
    close(file);
    return count < 0 ? -error : int(count);
}

void *start(fuse_conn_info *, fuse_config *config)
{
    // Every stat reaches the server, as it does once a share's caches have expired.
    config->attr_timeout = config->entry_timeout = config->negative_timeout = 0;
    return nullptr;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "Usage: stallingshare FOLDER MOUNTPOINT FLAG\n");
        return 2;
    }
    folder = argv[1];
    flag = argv[3];
    fuse_operations operations {};
    operations.getattr = getStatus;
    operations.statfs = getVolumeStatus;
    operations.read = readFile;
    operations.init = start;
    char foreground[] = "-f", option[] = "-o", readOnly[] = "ro";
    char *arguments[] = { argv[0], foreground, option, readOnly, argv[2] };
    return fuse_main(5, arguments, &operations, nullptr);
}
