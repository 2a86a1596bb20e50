#pragma once

// Block I/O library: the only way the product touches a viewed file.
// Handles are positive; every entry point answers -1 for a handle it never gave.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum { VX_BINARY = 0x8000, VX_ACCMODE = 3, VX_RDONLY = 0, VX_WRONLY = 1, VX_RDWR = 2 };
enum { VX_SEEK_SET = 0, VX_SEEK_CUR = 1, VX_SEEK_END = 2 };

int vx_open(const char* path, int flags, int mode);
int64_t vx_seek(int handle, int64_t offset, int origin);
int vx_read(int handle, void* buffer, unsigned count);
int vx_write(int handle, const void* buffer, unsigned count);
int vx_close(int handle);
int vx_commit(int handle);

typedef int (*vx_open_fn)(const char*, int, int);
typedef int64_t (*vx_seek_fn)(int, int64_t, int);
typedef int (*vx_read_fn)(int, void*, unsigned);
typedef int (*vx_write_fn)(int, const void*, unsigned);
typedef int (*vx_close_fn)(int);
typedef int (*vx_commit_fn)(int);

#ifdef __cplusplus
}
#endif
