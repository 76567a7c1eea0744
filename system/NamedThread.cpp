#include "system/NamedThread.h"

#include <pthread.h>

void NameThread(std::thread& thread, const char* name)
{
    pthread_setname_np(thread.native_handle(), name);
}
