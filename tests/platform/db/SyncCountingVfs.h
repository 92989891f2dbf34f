#pragma once

#include <sqlite3.h>

#include <stdexcept>

namespace kavex::db::testing {

// While it lives, every database file SQLite opens goes through the default file system with
// each wait for the disk counted: a shim over the default VFS that counts xSync calls (one fsync
// or fdatasync each, the folder's own sync after a journal is made counted with the journal's)
// and passes everything else through unchanged. One at a time.
class SyncCountingVfs {
  public:
    SyncCountingVfs() {
        underlying_ = sqlite3_vfs_find(nullptr);
        if (underlying_ == nullptr || active_ != nullptr) {
            throw std::logic_error("no default file system, or one counter already active");
        }
        vfs_ = *underlying_;
        vfs_.szOsFile = static_cast<int>(sizeof(File)) + underlying_->szOsFile;
        vfs_.zName = "kavex-sync-counting";
        vfs_.pAppData = this;
        vfs_.xOpen = open;
        active_ = this;
        if (sqlite3_vfs_register(&vfs_, 1) != SQLITE_OK) {
            active_ = nullptr;
            throw std::runtime_error("cannot register the counting file system");
        }
    }
    ~SyncCountingVfs() {
        sqlite3_vfs_unregister(&vfs_);
        sqlite3_vfs_register(underlying_, 1);
        active_ = nullptr;
    }
    SyncCountingVfs(const SyncCountingVfs&) = delete;
    SyncCountingVfs& operator=(const SyncCountingVfs&) = delete;

    int syncs() const { return syncs_; }

  private:
    // Our file, with the underlying file system's own right behind it.
    struct File {
        sqlite3_file base;
        sqlite3_file* real;
    };

    static sqlite3_file* real(sqlite3_file* file) { return reinterpret_cast<File*>(file)->real; }

    static int open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags,
                    int* outFlags) {
        auto* self = static_cast<SyncCountingVfs*>(vfs->pAppData);
        auto* ours = reinterpret_cast<File*>(file);
        ours->real = reinterpret_cast<sqlite3_file*>(ours + 1);
        ours->base.pMethods = nullptr;
        const int rc =
            self->underlying_->xOpen(self->underlying_, name, ours->real, flags, outFlags);
        if (ours->real->pMethods != nullptr) {
            self->methods_ = *ours->real->pMethods;
            self->methods_.xClose = close;
            self->methods_.xRead = read;
            self->methods_.xWrite = write;
            self->methods_.xTruncate = truncate;
            self->methods_.xSync = sync;
            self->methods_.xFileSize = fileSize;
            self->methods_.xLock = lock;
            self->methods_.xUnlock = unlock;
            self->methods_.xCheckReservedLock = checkReservedLock;
            self->methods_.xFileControl = fileControl;
            self->methods_.xSectorSize = sectorSize;
            self->methods_.xDeviceCharacteristics = deviceCharacteristics;
            if (self->methods_.iVersion >= 2) {
                self->methods_.xShmMap = shmMap;
                self->methods_.xShmLock = shmLock;
                self->methods_.xShmBarrier = shmBarrier;
                self->methods_.xShmUnmap = shmUnmap;
            }
            if (self->methods_.iVersion >= 3) {
                self->methods_.xFetch = fetch;
                self->methods_.xUnfetch = unfetch;
            }
            ours->base.pMethods = &self->methods_;
        }
        return rc;
    }

    static int close(sqlite3_file* f) { return real(f)->pMethods->xClose(real(f)); }
    static int read(sqlite3_file* f, void* data, int amount, sqlite3_int64 offset) {
        return real(f)->pMethods->xRead(real(f), data, amount, offset);
    }
    static int write(sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
        return real(f)->pMethods->xWrite(real(f), data, amount, offset);
    }
    static int truncate(sqlite3_file* f, sqlite3_int64 size) {
        return real(f)->pMethods->xTruncate(real(f), size);
    }
    static int sync(sqlite3_file* f, int flags) {
        ++active_->syncs_;
        return real(f)->pMethods->xSync(real(f), flags);
    }
    static int fileSize(sqlite3_file* f, sqlite3_int64* size) {
        return real(f)->pMethods->xFileSize(real(f), size);
    }
    static int lock(sqlite3_file* f, int level) { return real(f)->pMethods->xLock(real(f), level); }
    static int unlock(sqlite3_file* f, int level) {
        return real(f)->pMethods->xUnlock(real(f), level);
    }
    static int checkReservedLock(sqlite3_file* f, int* out) {
        return real(f)->pMethods->xCheckReservedLock(real(f), out);
    }
    static int fileControl(sqlite3_file* f, int op, void* arg) {
        return real(f)->pMethods->xFileControl(real(f), op, arg);
    }
    static int sectorSize(sqlite3_file* f) { return real(f)->pMethods->xSectorSize(real(f)); }
    static int deviceCharacteristics(sqlite3_file* f) {
        return real(f)->pMethods->xDeviceCharacteristics(real(f));
    }
    static int shmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out) {
        return real(f)->pMethods->xShmMap(real(f), region, size, extend, out);
    }
    static int shmLock(sqlite3_file* f, int offset, int n, int flags) {
        return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
    }
    static void shmBarrier(sqlite3_file* f) { real(f)->pMethods->xShmBarrier(real(f)); }
    static int shmUnmap(sqlite3_file* f, int deleteFlag) {
        return real(f)->pMethods->xShmUnmap(real(f), deleteFlag);
    }
    static int fetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
        return real(f)->pMethods->xFetch(real(f), offset, amount, out);
    }
    static int unfetch(sqlite3_file* f, sqlite3_int64 offset, void* page) {
        return real(f)->pMethods->xUnfetch(real(f), offset, page);
    }

    static inline SyncCountingVfs* active_ = nullptr;
    sqlite3_vfs* underlying_ = nullptr;
    sqlite3_vfs vfs_{};
    sqlite3_io_methods methods_{};
    int syncs_ = 0;
};

}  // namespace kavex::db::testing
