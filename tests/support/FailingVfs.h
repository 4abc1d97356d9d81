#pragma once
// A SQLite file system for tests that can make every write fail as a full disk does: it wraps
// the default one, and while `FailingVfs::Writes(false)` holds, each write of a database or
// journal file returns SQLITE_FULL. Installed as the default, so code under test needs no
// change.

#include <sqlite3.h>

#include <atomic>
#include <cstring>

class FailingVfs {
 public:
  // Makes the failing file system the default for the rest of the process (once).
  static void Install() {
    static const bool installed = [] {
      Real() = sqlite3_vfs_find(nullptr);
      sqlite3_vfs& vfs = Vfs();
      std::memcpy(&vfs, Real(), sizeof vfs);
      vfs.zName = "failing";
      vfs.szOsFile = static_cast<int>(sizeof(File)) + Real()->szOsFile;
      vfs.xOpen = Open;
      vfs.pNext = nullptr;
      return sqlite3_vfs_register(&vfs, 1) == SQLITE_OK;
    }();
    (void)installed;
  }
  // While false, writes fail with SQLITE_FULL.
  static void Writes(bool succeed) { Failing().store(!succeed); }

 private:
  struct File {
    sqlite3_file base;
    sqlite3_file* real;
  };

  static sqlite3_vfs*& Real() {
    static sqlite3_vfs* real = nullptr;
    return real;
  }
  static sqlite3_vfs& Vfs() {
    static sqlite3_vfs vfs{};
    return vfs;
  }
  static std::atomic<bool>& Failing() {
    static std::atomic<bool> failing{false};
    return failing;
  }
  static sqlite3_io_methods& Methods() {
    static sqlite3_io_methods methods{};
    return methods;
  }
  static sqlite3_file* RealOf(sqlite3_file* file) { return reinterpret_cast<File*>(file)->real; }

  static int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags,
                  int* outFlags) {
    auto* wrapper = reinterpret_cast<File*>(file);
    wrapper->real = reinterpret_cast<sqlite3_file*>(wrapper + 1);
    const int result = Real()->xOpen(Real(), name, wrapper->real, flags, outFlags);
    if (wrapper->real->pMethods == nullptr) {
      wrapper->base.pMethods = nullptr;
      return result;
    }
    static const bool copied = [&] {
      sqlite3_io_methods& methods = Methods();
      std::memcpy(&methods, wrapper->real->pMethods, sizeof methods);
      methods.xClose = [](sqlite3_file* f) { return RealOf(f)->pMethods->xClose(RealOf(f)); };
      methods.xRead = [](sqlite3_file* f, void* data, int amount, sqlite3_int64 offset) {
        return RealOf(f)->pMethods->xRead(RealOf(f), data, amount, offset);
      };
      methods.xWrite = [](sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
        if (Failing().load()) return SQLITE_FULL;
        return RealOf(f)->pMethods->xWrite(RealOf(f), data, amount, offset);
      };
      methods.xTruncate = [](sqlite3_file* f, sqlite3_int64 size) {
        return RealOf(f)->pMethods->xTruncate(RealOf(f), size);
      };
      methods.xSync = [](sqlite3_file* f, int flags) {
        return RealOf(f)->pMethods->xSync(RealOf(f), flags);
      };
      methods.xFileSize = [](sqlite3_file* f, sqlite3_int64* size) {
        return RealOf(f)->pMethods->xFileSize(RealOf(f), size);
      };
      methods.xLock = [](sqlite3_file* f, int lock) {
        return RealOf(f)->pMethods->xLock(RealOf(f), lock);
      };
      methods.xUnlock = [](sqlite3_file* f, int lock) {
        return RealOf(f)->pMethods->xUnlock(RealOf(f), lock);
      };
      methods.xCheckReservedLock = [](sqlite3_file* f, int* out) {
        return RealOf(f)->pMethods->xCheckReservedLock(RealOf(f), out);
      };
      methods.xFileControl = [](sqlite3_file* f, int op, void* arg) {
        return RealOf(f)->pMethods->xFileControl(RealOf(f), op, arg);
      };
      methods.xSectorSize = [](sqlite3_file* f) {
        return RealOf(f)->pMethods->xSectorSize(RealOf(f));
      };
      methods.xDeviceCharacteristics = [](sqlite3_file* f) {
        return RealOf(f)->pMethods->xDeviceCharacteristics(RealOf(f));
      };
      methods.xShmMap = [](sqlite3_file* f, int page, int size, int extend, void volatile** out) {
        return RealOf(f)->pMethods->xShmMap(RealOf(f), page, size, extend, out);
      };
      methods.xShmLock = [](sqlite3_file* f, int offset, int n, int flags) {
        return RealOf(f)->pMethods->xShmLock(RealOf(f), offset, n, flags);
      };
      methods.xShmBarrier = [](sqlite3_file* f) { RealOf(f)->pMethods->xShmBarrier(RealOf(f)); };
      methods.xShmUnmap = [](sqlite3_file* f, int remove) {
        return RealOf(f)->pMethods->xShmUnmap(RealOf(f), remove);
      };
      methods.xFetch = [](sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
        return RealOf(f)->pMethods->xFetch(RealOf(f), offset, amount, out);
      };
      methods.xUnfetch = [](sqlite3_file* f, sqlite3_int64 offset, void* page) {
        return RealOf(f)->pMethods->xUnfetch(RealOf(f), offset, page);
      };
      return true;
    }();
    (void)copied;
    wrapper->base.pMethods = &Methods();
    return result;
  }
};
