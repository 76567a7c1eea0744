#include "system/NamedThread.h"

#include <pthread.h>
#include <system_error>

SysResult<std::thread> StartNamedThread(const char* name, std::function<void()> body)
{
    try {
        std::thread thread(std::move(body));
        pthread_setname_np(thread.native_handle(), name);
        return thread;
    } catch (const std::system_error& error) {
        return SysError{error.code().value()};
    }
}
