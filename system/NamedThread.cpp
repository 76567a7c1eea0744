#include "system/NamedThread.h"

#include <pthread.h>
#include <system_error>

void NameThread(std::thread& thread, const char* name)
{
    pthread_setname_np(thread.native_handle(), name);
}

SysResult<std::thread> StartNamedThread(const char* name, std::function<void()> body)
{
    try {
        std::thread thread(std::move(body));
        NameThread(thread, name);
        return thread;
    } catch (const std::system_error& error) {
        return SysError{error.code().value()};
    }
}
