#pragma once
// Test support, header-only: an SQLite VFS over the default one that fails
// the Nth write, sync or truncate with an I/O error, so a test can fail each
// write step of a database in turn (SQLite's own fault loops, in small).
//
//   plat::testing::SqliteFaultVfs& vfs = plat::testing::SqliteFaultVfs::Get();
//   vfs.FailAt(n);   // 0: never fail
//   CDaoDatabase::SetVfsForTesting(plat::testing::SqliteFaultVfs::kName);

#include <sqlite3.h>

#include <cstring>

namespace plat::testing {

class SqliteFaultVfs {
 public:
  static constexpr const char* kName = "ostrel-fault";

  static SqliteFaultVfs& Get() {
    static SqliteFaultVfs vfs;
    return vfs;
  }

  // Fails the nth write step from now (1 = the next); 0 never fails.
  void FailAt(int n) {
    m_failAt = n;
    m_count = 0;
    m_failed = false;
  }
  bool Failed() const { return m_failed; }
  int Count() const { return m_count; }

 private:
  struct File {
    sqlite3_file base;
    sqlite3_file* real;
  };

  SqliteFaultVfs() {
    m_real = sqlite3_vfs_find(nullptr);
    m_vfs = *m_real;
    m_vfs.zName = kName;
    m_vfs.szOsFile = static_cast<int>(sizeof(File)) + m_real->szOsFile;
    m_vfs.pAppData = this;
    m_vfs.xOpen = &Open;
    std::memset(&m_methods, 0, sizeof(m_methods));
    m_methods.iVersion = 3;
    m_methods.xClose = [](sqlite3_file* f) {
      sqlite3_file* real = Real(f);
      int rc = real->pMethods ? real->pMethods->xClose(real) : SQLITE_OK;
      return rc;
    };
    m_methods.xRead = [](sqlite3_file* f, void* b, int n, sqlite3_int64 o) { return Real(f)->pMethods->xRead(Real(f), b, n, o); };
    m_methods.xWrite = [](sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
      if (Get().Hit()) return SQLITE_IOERR_WRITE;
      return Real(f)->pMethods->xWrite(Real(f), b, n, o);
    };
    m_methods.xTruncate = [](sqlite3_file* f, sqlite3_int64 size) {
      if (Get().Hit()) return SQLITE_IOERR_TRUNCATE;
      return Real(f)->pMethods->xTruncate(Real(f), size);
    };
    m_methods.xSync = [](sqlite3_file* f, int flags) {
      if (Get().Hit()) return SQLITE_IOERR_FSYNC;
      return Real(f)->pMethods->xSync(Real(f), flags);
    };
    m_methods.xFileSize = [](sqlite3_file* f, sqlite3_int64* s) { return Real(f)->pMethods->xFileSize(Real(f), s); };
    m_methods.xLock = [](sqlite3_file* f, int l) { return Real(f)->pMethods->xLock(Real(f), l); };
    m_methods.xUnlock = [](sqlite3_file* f, int l) { return Real(f)->pMethods->xUnlock(Real(f), l); };
    m_methods.xCheckReservedLock = [](sqlite3_file* f, int* r) { return Real(f)->pMethods->xCheckReservedLock(Real(f), r); };
    m_methods.xFileControl = [](sqlite3_file* f, int op, void* a) { return Real(f)->pMethods->xFileControl(Real(f), op, a); };
    m_methods.xSectorSize = [](sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); };
    m_methods.xDeviceCharacteristics = [](sqlite3_file* f) {
      return Real(f)->pMethods->xDeviceCharacteristics(Real(f));
    };
    m_methods.xShmMap = [](sqlite3_file* f, int p, int s, int e, void volatile** m) {
      return Real(f)->pMethods->xShmMap(Real(f), p, s, e, m);
    };
    m_methods.xShmLock = [](sqlite3_file* f, int o, int n, int fl) { return Real(f)->pMethods->xShmLock(Real(f), o, n, fl); };
    m_methods.xShmBarrier = [](sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); };
    m_methods.xShmUnmap = [](sqlite3_file* f, int d) { return Real(f)->pMethods->xShmUnmap(Real(f), d); };
    // No memory mapping: every page goes through xRead and xWrite.
    m_methods.xFetch = [](sqlite3_file*, sqlite3_int64, int, void** p) {
      *p = nullptr;
      return SQLITE_OK;
    };
    m_methods.xUnfetch = [](sqlite3_file*, sqlite3_int64, void*) { return SQLITE_OK; };
    sqlite3_vfs_register(&m_vfs, 0);
  }

  static sqlite3_file* Real(sqlite3_file* f) { return reinterpret_cast<File*>(f)->real; }

  static int Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    SqliteFaultVfs* self = static_cast<SqliteFaultVfs*>(vfs->pAppData);
    File* f = reinterpret_cast<File*>(file);
    f->real = reinterpret_cast<sqlite3_file*>(f + 1);
    f->real->pMethods = nullptr;
    int rc = self->m_real->xOpen(self->m_real, name, f->real, flags, outFlags);
    file->pMethods = f->real->pMethods ? &self->m_methods : nullptr;
    return rc;
  }

  bool Hit() {
    ++m_count;
    if (m_failAt > 0 && m_count == m_failAt) {
      m_failed = true;
      return true;
    }
    return false;
  }

  sqlite3_vfs* m_real;
  sqlite3_vfs m_vfs;
  sqlite3_io_methods m_methods;
  int m_failAt = 0;
  int m_count = 0;
  bool m_failed = false;
};

}  // namespace plat::testing
