/* Preloaded ahead of umockdev's library into every program on the emulated bus, this makes the emulated system
 * behave as a real one does where umockdev's emulation does not:
 * - Each process's emulated uevent socket gets a name of its own. umockdev names it after the file descriptor, so
 *   two programs started together collided on one name, and one of them could not start libusb's device monitor
 *   (on a real system every netlink socket is its own).
 * And, when a test asks, in two cases the emulation cannot show:
 * - QUORVEL_FAULT_NO_NETLINK=1: netlink sockets are refused (EAFNOSUPPORT), as in a service whose sandbox allows
 *   no AF_NETLINK; libusb's device monitor cannot start.
 * - QUORVEL_FAULT_LP_HELD=FILE: while FILE exists, opening a printer driver node /dev/usb/lpN fails with EBUSY, as
 *   the kernel's printer driver answers while a print job has the node open. Each refusal adds a byte to FILE, so
 *   that a test can wait until the program has looked. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <string.h>
#include <stdlib.h>
#include <stdio.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

static int Refused(int domain) {
  const char* refuse = getenv("QUORVEL_FAULT_NO_NETLINK");
  return domain == AF_NETLINK && refuse && *refuse == '1';
}

int socket(int domain, int type, int protocol) {
  static int (*next)(int, int, int);
  if (Refused(domain)) {
    errno = EAFNOSUPPORT;
    return -1;
  }
  if (!next) *(void**)&next = dlsym(RTLD_NEXT, "socket"); /* POSIX: a function pointer fits */
  return next(domain, type, protocol);
}

/* umockdev has turned the netlink socket into a Unix one; its uevents go to every socket named event<digits>... in
 * the testbed. The process id makes the name unique among the programs alive. */
int bind(int fd, __CONST_SOCKADDR_ARG given, socklen_t length) {
  static int (*next)(int, __CONST_SOCKADDR_ARG, socklen_t);
  const struct sockaddr* address = given.__sockaddr__; /* glibc's transparent union under _GNU_SOURCE */
  const char* testbed = getenv("UMOCKDEV_DIR");
  int domain = 0;
  socklen_t size = sizeof(domain);
  if (testbed && address && address->sa_family == AF_NETLINK &&
      getsockopt(fd, SOL_SOCKET, SO_DOMAIN, &domain, &size) == 0 && domain == AF_UNIX) {
    struct sockaddr_un own;
    memset(&own, 0, sizeof(own));
    own.sun_family = AF_UNIX;
    snprintf(own.sun_path, sizeof(own.sun_path), "%s/event%d-%d", testbed, (int)getpid(), fd);
    syscall(SYS_unlink, own.sun_path); /* left by an earlier process of this id that was killed */
    return (int)syscall(SYS_bind, fd, &own, sizeof(own));
  }
  if (!next) *(void**)&next = dlsym(RTLD_NEXT, "bind");
  return next(fd, given, length);
}

static int HeldByAJob(const char* path) {
  const char* marker = getenv("QUORVEL_FAULT_LP_HELD");
  if (!marker || !*marker || !path || strncmp(path, "/dev/usb/lp", 11) != 0) return 0;
  /* The system call itself: the marker is a real file, and no wrapper (ours, umockdev's) may see this open. */
  const int fd = (int)syscall(SYS_openat, AT_FDCWD, marker, O_WRONLY | O_APPEND | O_CLOEXEC);
  if (fd < 0) return 0;
  const ssize_t written = write(fd, ".", 1);
  close(fd);
  return written == 1;
}

#define OPEN_WRAPPER(name, ...)                                              \
  int name(__VA_ARGS__, int flags, ...) {                                    \
    static int (*next)(__VA_ARGS__, int, ...);                               \
    mode_t mode = 0;                                                         \
    if (flags & (O_CREAT | O_TMPFILE)) {                                     \
      va_list args;                                                          \
      va_start(args, flags);                                                 \
      mode = va_arg(args, mode_t);                                           \
      va_end(args);                                                          \
    }                                                                        \
    if (HeldByAJob(path)) {                                                  \
      errno = EBUSY;                                                         \
      return -1;                                                             \
    }                                                                        \
    if (!next) *(void**)&next = dlsym(RTLD_NEXT, #name);                   \
    return CALL_##name;                                                      \
  }

#define CALL_open next(path, flags, mode)
#define CALL_open64 next(path, flags, mode)
#define CALL_openat next(dir, path, flags, mode)
#define CALL_openat64 next(dir, path, flags, mode)

OPEN_WRAPPER(open, const char* path)
OPEN_WRAPPER(open64, const char* path)
OPEN_WRAPPER(openat, int dir, const char* path)
OPEN_WRAPPER(openat64, int dir, const char* path)
