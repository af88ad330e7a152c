// The stand-in for the C library's pthread_create, in its own file so that
// only a test program that refuses threads links it.
#include "System.h"

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cerrno>

namespace {
std::atomic<bool> threadsRefused = false;
}

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*run)(void*),
                              void* argument)
{
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const auto real = reinterpret_cast<Create>(::dlsym(RTLD_NEXT, "pthread_create"));
    return threadsRefused ? EAGAIN : real(thread, attributes, run, argument);
}

namespace testsupport {

bool refuseThreads(bool refused)
{
    threadsRefused = refused;
    return true;
}

} // namespace testsupport
