// How many threads hash a bag: all cores.
#pragma once

unsigned HashThreads();
