// A FUSE file system for tests: the folder given first, passed through
// unchanged, except that syncing a folder fails with EIO. It meets code that
// records a rename with fsync on the folder with a failure that real disks
// give only rarely. Usage: foldersyncfaultfs BACKING MOUNTPOINT [fuse options]
#define FUSE_USE_VERSION 31

#include <fuse.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

static const char *backing = nullptr;

// The backing path of path; a too long one is ENAMETOOLONG.
static int real(char out[PATH_MAX], const char *path)
{
    const int length = snprintf(out, PATH_MAX, "%s%s", backing, path);
    return length >= 0 && length < PATH_MAX ? 0 : -ENAMETOOLONG;
}

#define REAL(name, path)                                                                           \
    char name[PATH_MAX];                                                                           \
    if (real(name, path) != 0)                                                                     \
        return -ENAMETOOLONG;

static int result(int status)
{
    return status == -1 ? -errno : 0;
}

static int fs_getattr(const char *path, struct stat *status, struct fuse_file_info *fi)
{
    if (fi)
        return result(fstat((int)fi->fh, status));
    REAL(p, path);
    return result(lstat(p, status));
}

static int fs_readlink(const char *path, char *buffer, size_t size)
{
    REAL(p, path);
    const ssize_t length = readlink(p, buffer, size - 1);
    if (length < 0)
        return -errno;
    buffer[length] = '\0';
    return 0;
}

static int fs_readdir(const char *path, void *buffer, fuse_fill_dir_t fill, off_t offset,
    struct fuse_file_info *fi, enum fuse_readdir_flags flags)
{
    (void)offset;
    (void)fi;
    (void)flags;
    REAL(p, path);
    DIR *folder = opendir(p);
    if (folder == nullptr)
        return -errno;
    struct dirent *entry;
    while ((entry = readdir(folder)) != nullptr) {
        struct stat status;
        memset(&status, 0, sizeof status);
        status.st_ino = entry->d_ino;
        status.st_mode = (mode_t)entry->d_type << 12;
        if (fill(buffer, entry->d_name, &status, 0, fuse_fill_dir_flags(0)))
            break;
    }
    closedir(folder);
    return 0;
}

static int fs_mkdir(const char *path, mode_t mode)
{
    REAL(p, path);
    return result(mkdir(p, mode));
}

static int fs_unlink(const char *path)
{
    REAL(p, path);
    return result(unlink(p));
}

static int fs_rmdir(const char *path)
{
    REAL(p, path);
    return result(rmdir(p));
}

static int fs_symlink(const char *target, const char *path)
{
    REAL(p, path);
    return result(symlink(target, p));
}

static int fs_rename(const char *from, const char *to, unsigned int flags)
{
    if (flags)
        return -EINVAL;
    REAL(f, from);
    REAL(t, to);
    return result(rename(f, t));
}

static int fs_chmod(const char *path, mode_t mode, struct fuse_file_info *fi)
{
    if (fi)
        return result(fchmod((int)fi->fh, mode));
    REAL(p, path);
    return result(chmod(p, mode));
}

static int fs_chown(const char *path, uid_t uid, gid_t gid, struct fuse_file_info *fi)
{
    if (fi)
        return result(fchown((int)fi->fh, uid, gid));
    REAL(p, path);
    return result(lchown(p, uid, gid));
}

static int fs_truncate(const char *path, off_t size, struct fuse_file_info *fi)
{
    if (fi)
        return result(ftruncate((int)fi->fh, size));
    REAL(p, path);
    return result(truncate(p, size));
}

static int fs_utimens(const char *path, const struct timespec times[2], struct fuse_file_info *fi)
{
    if (fi)
        return result(futimens((int)fi->fh, times));
    REAL(p, path);
    return result(utimensat(AT_FDCWD, p, times, AT_SYMLINK_NOFOLLOW));
}

static int fs_create(const char *path, mode_t mode, struct fuse_file_info *fi)
{
    REAL(p, path);
    const int fd = open(p, fi->flags, mode);
    if (fd < 0)
        return -errno;
    fi->fh = (uint64_t)fd;
    return 0;
}

static int fs_open(const char *path, struct fuse_file_info *fi)
{
    REAL(p, path);
    const int fd = open(p, fi->flags & ~O_NONBLOCK);
    if (fd < 0)
        return -errno;
    fi->fh = (uint64_t)fd;
    return 0;
}

static int fs_read(
    const char *path, char *buffer, size_t size, off_t offset, struct fuse_file_info *fi)
{
    (void)path;
    const ssize_t count = pread((int)fi->fh, buffer, size, offset);
    return count < 0 ? -errno : (int)count;
}

static int fs_write(
    const char *path, const char *buffer, size_t size, off_t offset, struct fuse_file_info *fi)
{
    (void)path;
    const ssize_t count = pwrite((int)fi->fh, buffer, size, offset);
    return count < 0 ? -errno : (int)count;
}

static int fs_release(const char *path, struct fuse_file_info *fi)
{
    (void)path;
    close((int)fi->fh);
    return 0;
}

static int fs_fsync(const char *path, int dataOnly, struct fuse_file_info *fi)
{
    (void)path;
    return result(dataOnly ? fdatasync((int)fi->fh) : fsync((int)fi->fh));
}

// The fault.
static int fs_fsyncdir(const char *path, int dataOnly, struct fuse_file_info *fi)
{
    (void)path;
    (void)dataOnly;
    (void)fi;
    return -EIO;
}

static void *fs_init(struct fuse_conn_info *connection, struct fuse_config *config)
{
    (void)connection;
    // No caching of names or attributes: every step reaches the backing
    // folder as it happens.
    config->entry_timeout = 0;
    config->attr_timeout = 0;
    config->negative_timeout = 0;
    config->use_ino = 1;
    return nullptr;
}

static fuse_operations operations()
{
    fuse_operations o {};
    o.getattr = fs_getattr;
    o.readlink = fs_readlink;
    o.mkdir = fs_mkdir;
    o.unlink = fs_unlink;
    o.rmdir = fs_rmdir;
    o.symlink = fs_symlink;
    o.rename = fs_rename;
    o.chmod = fs_chmod;
    o.chown = fs_chown;
    o.truncate = fs_truncate;
    o.open = fs_open;
    o.read = fs_read;
    o.write = fs_write;
    o.release = fs_release;
    o.fsync = fs_fsync;
    o.readdir = fs_readdir;
    o.fsyncdir = fs_fsyncdir;
    o.init = fs_init;
    o.create = fs_create;
    o.utimens = fs_utimens;
    return o;
}

int main(int argc, char *argv[])
{
    if (argc < 3) {
        fprintf(stderr, "usage: %s BACKING MOUNTPOINT [fuse options]\n", argv[0]);
        return 2;
    }
    backing = realpath(argv[1], nullptr);
    if (backing == nullptr) {
        perror(argv[1]);
        return 2;
    }
    // FUSE's own arguments: the program, the mount point and the rest.
    argv[1] = argv[0];
    const fuse_operations all = operations();
    return fuse_main(argc - 1, argv + 1, &all, nullptr);
}
