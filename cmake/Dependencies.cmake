# Third-party libraries, each as an imported target the folders link to.
find_package(Threads REQUIRED)
find_package(GTest REQUIRED)
find_package(PkgConfig REQUIRED)

# MPICH, C API only. Pin the wrappers so a machine with Open MPI as well still builds against MPICH.
set(MPI_CXX_SKIP_MPICXX ON CACHE BOOL "" FORCE)
if(EXISTS /usr/bin/mpicc.mpich AND NOT MPI_C_COMPILER)
  set(MPI_C_COMPILER /usr/bin/mpicc.mpich CACHE FILEPATH "" FORCE)
  set(MPI_CXX_COMPILER /usr/bin/mpicxx.mpich CACHE FILEPATH "" FORCE)
  set(MPIEXEC_EXECUTABLE /usr/bin/mpiexec.mpich CACHE FILEPATH "" FORCE)
endif()
find_package(MPI REQUIRED COMPONENTS C)

find_package(SQLite3 REQUIRED)
find_package(OpenSSL REQUIRED)
pkg_check_modules(ODBC REQUIRED IMPORTED_TARGET odbc)
pkg_check_modules(PUGIXML REQUIRED IMPORTED_TARGET pugixml)
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
pkg_check_modules(FREEXL REQUIRED IMPORTED_TARGET freexl)
pkg_check_modules(GSF REQUIRED IMPORTED_TARGET libgsf-1)
pkg_check_modules(LIBPQ REQUIRED IMPORTED_TARGET libpq)

if(OSTREL_BENCH)
  find_package(benchmark REQUIRED)
endif()
# The LP solver of the generated model's cases: the generator and its tests only.
pkg_check_modules(CLP REQUIRED IMPORTED_TARGET clp)
