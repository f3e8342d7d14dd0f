// Only in the ThreadSanitizer build (make tsan), linked into every test.
//
// QProcess starts a program with clone(CLONE_VM | CLONE_VFORK): the child
// shares the parent's memory until it calls exec. ThreadSanitizer's clone
// interceptor takes any clone for a fork and, in the child, marks its state
// (which is the parent's, the memory being shared) as "after a fork of a
// multi-threaded process": the test itself then dies at its next new thread
// ("starting new threads after multi-threaded fork is not supported"), and
// its thread stops being checked. Such a child runs no code of ours and
// only execs, as after vfork, so it goes to the C library's clone directly;
// any other clone still goes through ThreadSanitizer.
#include <cstdarg>
#include <dlfcn.h>
#include <sched.h>
#include <sys/types.h>

namespace {

using Clone = int (*)(int (*)(void *), void *, int, void *, ...);

Clone cloneIn(void *library)
{
    return reinterpret_cast<Clone>(dlsym(library, "clone"));
}

} // namespace

extern "C" int clone(int (*fn)(void *), void *stack, int flags, void *arg, ...)
{
    va_list more;
    va_start(more, arg);
    pid_t *parentTid = va_arg(more, pid_t *);
    void *tls = va_arg(more, void *);
    pid_t *childTid = va_arg(more, pid_t *);
    va_end(more);
    static const Clone library = cloneIn(dlopen("libc.so.6", RTLD_LAZY | RTLD_NOLOAD));
    static const Clone intercepted = cloneIn(RTLD_NEXT);
    const bool vforkChild = (flags & (CLONE_VM | CLONE_VFORK)) == (CLONE_VM | CLONE_VFORK);
    return (vforkChild ? library : intercepted)(fn, stack, flags, arg, parentTid, tls, childTid);
}
