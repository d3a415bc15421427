#!/usr/bin/python3
"""A network share whose server can go away: it serves the files of a folder, and while the flag
file exists every lookup, stat and read waits for it to go, as a share's client waits for its
server to come back. Usage: stallingshare.py FOLDER MOUNTPOINT FLAG"""
import os
import sys
import time

from fusepy import FUSE, FuseOSError, Operations


class StallingShare(Operations):
    use_ns = True

    def served(self, path):
        while os.path.exists(sys.argv[3]):
            time.sleep(0.05)
        return os.path.join(sys.argv[1], path.lstrip('/'))

    def getattr(self, path, fh=None):
        try:
            status = os.lstat(self.served(path))
        except OSError as error:
            raise FuseOSError(error.errno)
        kept = ('st_mode', 'st_nlink', 'st_size', 'st_uid', 'st_gid')
        return {key: getattr(status, key) for key in kept} | {'st_mtime': status.st_mtime_ns}

    def statfs(self, path):
        status = os.statvfs(self.served(path))
        return {key: getattr(status, key) for key in ('f_bsize', 'f_frsize', 'f_blocks', 'f_bavail')}

    def read(self, path, size, offset, fh):
        with open(self.served(path), 'rb') as file:
            file.seek(offset)
            return file.read(size)


# Every stat reaches the server, as it does once a share's caches have expired.
FUSE(StallingShare(), sys.argv[2], foreground=True, ro=True, attr_timeout=0, entry_timeout=0,
     negative_timeout=0)
