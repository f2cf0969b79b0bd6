#include "station/HashThreads.h"

#include <algorithm>
#include <thread>

unsigned HashThreads()
{
    return std::max(1u, std::thread::hardware_concurrency());
}
